// Velumo: a document-based paint program.
#include "KZImage.h"
#include "SWAppController.h"

#include "platform/appkit/Application.h"
#include "platform/appkit/DocumentController.h"
#include "platform/appkit/ImageResource.h"
#include "platform/appkit/StandardIconStyle.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/StartUpHeap.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>

int main(int argc, char** argv)
{
    platform::StartUpHeap::begin();
    // Keep the arguments as given, before Qt takes out its own options.
    platform::Bundle::captureArguments(argc, argv);
    QApplication app(argc, argv);
    // A picture named on the command line decodes while the program starts.
    SWAppController::readFilesAhead(SWAppController::filesInArguments(platform::Bundle::arguments()));
    QApplication::setApplicationName(QStringLiteral("Velumo"));
    QApplication::setOrganizationName(QStringLiteral("Velumo"));
    QApplication::setApplicationVersion(platform::Bundle::shortVersion());
    QApplication::setDesktopFileName(QStringLiteral("velumo"));
    // The style as chosen, with the toolbar's arrows read without loading
    // every image format plug-in.
    QApplication::setStyle(new platform::StandardIconStyle(QApplication::style()->name()));
    platform::Application::install();
    // The skins are drawn at the finest resolution any screen shows; the
    // other one is not read (start-up reads hundreds of skin images).
    double finest = 1.0;
    for (const QScreen* screen : QGuiApplication::screens())
        finest = std::max(finest, screen->devicePixelRatio());
    KZImage::setScreenPixelRatio(finest);

    int result = 0;
    {
        SWAppController controller;
        controller.applicationWillFinishLaunching();
        controller.openFiles(SWAppController::filesInArguments(platform::Bundle::arguments()));
        controller.applicationDidFinishLaunching();
        // The windows get the program's icon once the first has shown: a
        // window made with it converts its pixels twice and sends them to
        // the display ahead of the window itself. Read as the PNG it is: an
        // icon made from a file name asks every image format plug-in
        // whether it reads the file, which loads them all.
        QTimer::singleShot(0, &app, [] {
            QApplication::setWindowIcon(QIcon(QPixmap::fromImage(platform::ImageResource::readFile(
                platform::Bundle::pathForResource(QStringLiteral("velumo"), QStringLiteral("png"))))));
        });
        // The first window paints a moment after it shows; its heap comes
        // from the start-up step too.
        QTimer::singleShot(1000, &app, [] { platform::StartUpHeap::end(); });
        result = app.exec();
        // Whatever is still open goes before the application object does.
        platform::DocumentController::shared().closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return result;
}
