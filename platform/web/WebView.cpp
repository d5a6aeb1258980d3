#include "WebView.h"

#include "UnavailableWebView.h"
#include "platform/foundation/LoadableModule.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QtGlobal>

// The toolkit's context that every OpenGL context of the process shares
// its objects with, as its own modules (the web engine among them) reach
// it: the engine draws its pages into textures of that context.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace platform {

namespace {

using ViewMaker = WebView* (*)(QWidget* parent);

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
        return reinterpret_cast<ViewMaker>(
            LoadableModule::resolve(QStringLiteral("libVelumoWebEngine.so"), "velumoMakeWebEngineView"));
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
