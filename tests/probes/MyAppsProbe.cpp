// Shows the my-apps popover for end-to-end tests. A window "My apps probe"
// holds one button, "More Apps", which opens the popover beneath it; the
// list comes from the service address in the program's settings. A store
// link handed to the opener is written to "opened.txt" in the working
// folder (no browser is started), and the probe then ends.
#include "CHMyAppsViewManager.h"
#include "CHOpeningURL.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The program's settings file, where the tests put the service address.
    QApplication::setApplicationName(QStringLiteral("Velumo"));
    QApplication::setOrganizationName(QStringLiteral("Velumo"));
    CHOpeningURL::setURLOpener([](const QUrl& url) {
        QFile file(QStringLiteral("opened.txt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(url.toString().toUtf8());
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });

    QWidget window;
    window.setWindowTitle(QStringLiteral("My apps probe"));
    window.resize(480, 120);
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton(QStringLiteral("More Apps"), &window);
    layout->addWidget(button, 0, Qt::AlignHCenter | Qt::AlignTop);
    QObject::connect(button, &QPushButton::clicked, button, [button] {
        CHMyAppsViewManager::sharedCHMyAppsViewManager()->showPopoverRelativeToRect(QRectF(button->rect()), button,
                                                                                   platform::Popover::MaxYEdge);
    });
    window.show();
    return app.exec();
}
