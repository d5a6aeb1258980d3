#include "NPMagnifierWindowController.h"

#include "NPMagnifierView.h"
#include "NPMagnifierWindow.h"
#include "VTRDebug.h"

NPMagnifierWindowController::NPMagnifierWindowController(NPMagnifierWindow* window)
    : m_window(window)
{
}

NPMagnifierWindowController::~NPMagnifierWindowController()
{
    delete m_window.data();
}

std::unique_ptr<NPMagnifierWindowController> NPMagnifierWindowController::createInstance()
{
    auto* window = new NPMagnifierWindow;
    auto* view = new NPMagnifierView;
    window->setContentView(view);
    window->resize(kDefaultSide, kDefaultSide);
    view->resize(kDefaultSide, kDefaultSide); // before the window first lays it out
    return std::make_unique<NPMagnifierWindowController>(window);
}

bool NPMagnifierWindowController::verifyWindow(const char* function, int line) const
{
    VTRDebug::verify(!m_window.isNull(), QStringLiteral("window is nil"), QString(), QString::fromLatin1(function),
                     line);
    return !m_window.isNull();
}

void NPMagnifierWindowController::showWindowIfNeeded(QObject*)
{
    if (m_window)
        m_window->show();
}

void NPMagnifierWindowController::hideWindow()
{
    if (m_window)
        m_window->close();
}

QRectF NPMagnifierWindowController::windowFrame() const
{
    if (!verifyWindow("NPMagnifierWindowController::windowFrame", __LINE__))
        return QRectF();
    return QRectF(m_window->frameGeometry());
}

QRectF NPMagnifierWindowController::windowFrameInPixels() const
{
    if (!verifyWindow("NPMagnifierWindowController::windowFrameInPixels", __LINE__))
        return QRectF();
    const QRectF frame(m_window->frameGeometry());
    const double ratio = m_window->devicePixelRatioF();
    return QRectF(frame.topLeft() * ratio, frame.size() * ratio);
}

void NPMagnifierWindowController::setWindowFrameOrigin(const QPointF& origin)
{
    if (!verifyWindow("NPMagnifierWindowController::setWindowFrameOrigin", __LINE__))
        return;
    m_window->move(origin.toPoint());
}

NPMagnifierWindow* NPMagnifierWindowController::fetchWindow() const
{
    VTRDebug::verify(!m_window.isNull(), QStringLiteral("Invalidate window type"), QString(),
                     QStringLiteral("NPMagnifierWindowController::fetchWindow"), __LINE__);
    return m_window;
}

QSizeF NPMagnifierWindowController::neededImageSize() const
{
    NPMagnifierWindow* window = fetchWindow();
    return window ? window->neededImageSize() : QSizeF();
}

void NPMagnifierWindowController::updateMagnifierInfo(const NPMagnifierInfo& info)
{
    if (NPMagnifierWindow* window = fetchWindow())
        window->updateMagnifierInfo(info);
}
