#include "SWAppController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

SWAppController::SWAppController()
{
    platform::UserDefaults::standard().registerDefaults({
        {QStringLiteral("HorizontalSize"), 640},
        {QStringLiteral("VerticalSize"), 480},
        {QStringLiteral("UndoLevels"), 128},
        {QStringLiteral("FileType"), QStringLiteral("PNG")},
        {QStringLiteral("AllowAntialias"), true},
        {QStringLiteral("SWDocumentRecordedSize"), platform::stringFromSize(QSizeF(400, 300))},
    });
}

SWAppController::~SWAppController()
{
    delete m_window;
}

void SWAppController::applicationWillFinishLaunching()
{
}

void SWAppController::applicationDidFinishLaunching()
{
    platform::exceptionGuard([this] {
        auto* window = new QMainWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("Untitled"));
        window->setCentralWidget(new QLabel(QStringLiteral("Velumo")));
        window->resize(640, 480);
        QMenu* fileMenu = window->menuBar()->addMenu(QStringLiteral("&File"));
        QAction* quit = fileMenu->addAction(QStringLiteral("&Quit"));
        quit->setShortcut(QKeySequence::Quit);
        connect(quit, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);
        window->show();
        m_window = window;
        platform::nsLog(buildLine());
    });
}

QString SWAppController::buildLine()
{
    return QStringLiteral("App Build Info:[%1 - %2] buid on [%3 %4]")
        .arg(platform::Bundle::name(), platform::Bundle::shortVersion(), QStringLiteral(__DATE__),
             QStringLiteral(__TIME__));
}
