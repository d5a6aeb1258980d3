#include "WebView.h"

#include "UnavailableWebView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>
#include <QtGlobal>

#include <dlfcn.h>

// The toolkit's context that every OpenGL context of the process shares
// its objects with, as its own modules (the web engine among them) reach
// it: the engine draws its pages into textures of that context.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace platform {

namespace {

using ViewMaker = WebView* (*)(QWidget* parent);

// The engine's module lies beside this library, in the build tree and in
// an installed prefix alike.
QString moduleFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&moduleFolder), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

// The engine wants the shared context before it is loaded. The toolkit
// makes one at start-up when asked to (an application attribute), but that
// sets up OpenGL in every run; here it is made when the first page shows.
void shareOpenGLContexts()
{
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    if (!context->create()) {
        delete context;
        return; // the engine then draws without the graphics card
    }
    QObject::connect(context, &QObject::destroyed, [] { qt_gl_set_global_share_context(nullptr); });
    qt_gl_set_global_share_context(context);
}

ViewMaker loadEngine()
{
    static const ViewMaker maker = []() -> ViewMaker {
        shareOpenGLContexts();
        QLibrary module(moduleFolder() + QStringLiteral("/libVelumoWebEngine.so"));
        // The engine cannot be unloaded once it has run.
        module.setLoadHints(QLibrary::PreventUnloadHint);
        if (!module.load()) {
            qWarning("The web engine could not be loaded: %s", qPrintable(module.errorString()));
            return nullptr;
        }
        const auto found = reinterpret_cast<ViewMaker>(module.resolve("velumoMakeWebEngineView"));
        if (!found)
            qWarning("The web engine's module makes no views: %s", qPrintable(module.errorString()));
        return found;
    }();
    return maker;
}

} // namespace

std::unique_ptr<WebView> WebView::create(QWidget* parent)
{
    if (const ViewMaker make = loadEngine())
        return std::unique_ptr<WebView>(make(parent));
    return std::make_unique<UnavailableWebView>(parent);
}

} // namespace platform
