// A host program of the cross-promotion library for end-to-end tests: a
// window whose view it hands to the library's manager, with the ad file's
// address from the first argument. It writes "willshow.txt" when the ad is
// about to show; once "quit.txt" appears in its working folder it closes
// the ad's pop-up window, writes "closed.txt" when the library announces
// the closing, and quits. Links the library would open outside are only
// written down, one a line, in "opened.txt".
#include "MyPushAdManager.h"
#include "MyPushAdOperator.h"
#include "MyPushAdURLOpener.h"

#include "platform/foundation/NotificationCenter.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// The web engine's own code frees some objects through a base of another
// size; that is the library's, and the sanitizer build would stop on it.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

namespace {
void writeFile(const QString& name, const QString& text)
{
    QFile file(name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;

    MyPushAdURLOpener::setOpener([](const QUrl& url) {
        QFile file(QStringLiteral("opened.txt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(url.toString().toUtf8() + '\n');
    });

    auto* host = new QWidget;
    host->setWindowTitle(QStringLiteral("PAU host"));
    host->resize(500, 400);
    host->show();

    QPointer<QWidget> popup;
    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(&app, MyPushAdOperator::willShowNotificationName(), nullptr, [&popup](const platform::Notification& n) {
        popup = n.userInfo.value(MyPushAdOperator::popupWindowKey()).value<QWidget*>();
        writeFile(QStringLiteral("willshow.txt"), QStringLiteral("popup=%1").arg(n.userInfo.value(MyPushAdOperator::isPopupWindowKey()).toBool()));
    });
    center.addObserver(&app, MyPushAdOperator::didCloseNotificationName(), nullptr, [](const platform::Notification&) {
        writeFile(QStringLiteral("closed.txt"), QStringLiteral("closed"));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });

    // Asked to end: close the ad (which ends the program through its
    // notification), or end at once when there is none. A probe that is
    // never asked ends by itself after a while.
    QDeadlineTimer lifetime(10 * 60 * 1000);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (lifetime.hasExpired())
            QCoreApplication::quit();
        if (!QFile::exists(QStringLiteral("quit.txt")))
            return;
        poll.stop();
        if (popup && popup->isVisible())
            popup->close();
        else
            QCoreApplication::quit();
    });
    poll.start(200);

    MyPushAdManager::sharedPushAdManager()->prepareAndShowAdWithHostView(host, MyPushAdManager::WebServerMode,
                                                                         QString::fromLocal8Bit(argv[1]));
    const int result = app.exec();
    center.removeObserver(&app);
    // The manager and its windows live as long as the process, as in any host.
    delete host;
    return result;
}
