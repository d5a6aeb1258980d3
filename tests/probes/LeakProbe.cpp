// A window for the end-to-end harness's test of its own leak check: a
// window "Leak probe" that quits on Ctrl+Q.
//
// With "--opengl" it first makes an OpenGL context current and draws into
// it, as the web engine does when it starts: the graphics driver then keeps
// memory of its own until the process ends. With "--leak" the Ctrl+Q
// handler loses a block of ours before it quits, so the leak's stack has
// the event loop beneath it.
#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QShortcut>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {
__attribute__((noinline)) void loseABlockOnPurpose()
{
    char* block = new char[96];
    std::memset(block, 0x5a, 96);
    std::fprintf(stderr, "Leak probe: lost a block of 96 bytes\n");
}

bool drawWithOpenGL()
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface))
        return false;
    QOpenGLFunctions* gl = context.functions();
    gl->glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glFinish();
    context.doneCurrent();
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const bool leak = arguments.contains(QStringLiteral("--leak"));
    if (arguments.contains(QStringLiteral("--opengl")) && !drawWithOpenGL()) {
        std::fprintf(stderr, "Leak probe: no OpenGL context\n");
        return 3;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Leak probe"));
    window.resize(240, 120);
    auto* quit = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), &window);
    QObject::connect(quit, &QShortcut::activated, &app, [leak] {
        if (leak)
            loseABlockOnPurpose();
        QCoreApplication::quit();
    });
    window.show();
    return app.exec();
}
