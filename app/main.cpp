// Velumo: a document-based paint program.
#include "SWAppController.h"

#include "platform/foundation/Bundle.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Keep the arguments as given, before Qt takes out its own options.
    platform::Bundle::captureArguments(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velumo"));
    QApplication::setOrganizationName(QStringLiteral("Velumo"));
    QApplication::setApplicationVersion(platform::Bundle::shortVersion());

    SWAppController controller;
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
    return app.exec();
}
