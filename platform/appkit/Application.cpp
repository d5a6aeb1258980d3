#include "Application.h"

#include "DocumentController.h"
#include "WindowUpdater.h"

#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/NotificationCenter.h"

#include <QApplication>
#include <QGuiApplication>

namespace platform {

namespace {
std::optional<uint32_t>& flagsOverride()
{
    static std::optional<uint32_t> flags;
    return flags;
}
bool& notified()
{
    static bool done = false;
    return done;
}
void postWillTerminate()
{
    if (notified())
        return;
    notified() = true;
    NotificationCenter::defaultCenter().post(Application::willTerminateNotification());
}
} // namespace

QString Application::willTerminateNotification()
{
    return QStringLiteral("ApplicationWillTerminate");
}

void Application::install()
{
    notified() = false;
    if (qApp)
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { postWillTerminate(); });
    // Windows refresh their controls after every user event.
    WindowUpdater::shared().start();
}

bool Application::terminate()
{
    if (!DocumentController::shared().reviewUnsavedDocuments())
        return false;
    postWillTerminate();
    DocumentController::shared().closeAllDocuments();
    if (qApp)
        QCoreApplication::quit();
    return true;
}

uint32_t Application::currentModifierFlags()
{
    if (flagsOverride())
        return *flagsOverride();
    return ModifierFlags::fromQt(QGuiApplication::queryKeyboardModifiers());
}

void Application::setModifierFlagsForTesting(std::optional<uint32_t> flags)
{
    flagsOverride() = flags;
}

} // namespace platform
