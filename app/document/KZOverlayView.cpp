#include "KZOverlayView.h"

#include "HiResSupport.h"
#include "KZOverlayViewDelegate.h"
#include "SWScalingScrollView.h"

#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPaintEvent>

#include <cmath>

KZOverlayView::KZOverlayView(QWidget* parent)
    : QWidget(parent)
{
    postInit();
}

KZOverlayView::~KZOverlayView()
{
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    m_delegate = nullptr;
}

void KZOverlayView::postInit()
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    platform::NotificationCenter::defaultCenter().addObserver(
        this, SWScalingScrollView::kScaleFactorDidChanged, nullptr,
        [this](const platform::Notification& n) { handleScaleFactorDidChanged(n.sender, n.userInfo); });
    m_mouseEnteredTrackingArea.set(false);
    myAddTrackingArea();
}

void KZOverlayView::clear()
{
    update();
}

QRectF KZOverlayView::bounds() const
{
    return QRectF(m_boundsOrigin, QSizeF(width() / m_scale, height() / m_scale));
}

void KZOverlayView::scaleTo(double scale)
{
    if (!(scale > 0.0) || !std::isfinite(scale))
        return;
    const QRectF old = bounds();
    const double newWidth = width() / scale;
    const double newHeight = height() / scale;
    double x = (old.width() - newWidth) * 0.5 + old.x();
    double y = (old.height() - newHeight) * 0.5 + old.y();
    if (scale >= 1.0) {
        // Keep the origin on a whole screen pixel.
        const long long step = (long long)scale;
        x = double((long long)x / step) * scale;
        y = double((long long)y / step) * scale;
    }
    m_scale = scale;
    m_boundsOrigin = QPointF(x, y);
    update();
    platform::BoundsView::boundsDidChange(this);
}

QPointF KZOverlayView::pointFromWidget(const QPointF& widgetPoint) const
{
    return m_boundsOrigin + widgetPoint / m_scale;
}

QPointF KZOverlayView::widgetPointFromPoint(const QPointF& overlayPoint) const
{
    return (overlayPoint - m_boundsOrigin) * m_scale;
}

QRectF KZOverlayView::widgetRectFromRect(const QRectF& overlayRect) const
{
    return QRectF(widgetPointFromPoint(overlayRect.topLeft()), overlayRect.size() * m_scale);
}

QRectF KZOverlayView::rectFromWidgetRect(const QRectF& widgetRect) const
{
    return QRectF(pointFromWidget(widgetRect.topLeft()), widgetRect.size() / m_scale);
}

void KZOverlayView::setOverlayNeedsDisplayInRect(const QRectF& overlayRect)
{
    update(widgetRectFromRect(overlayRect).toAlignedRect().adjusted(-1, -1, 1, 1));
}

void KZOverlayView::paintEvent(QPaintEvent* event)
{
    if (!m_delegate)
        return;
    platform::exceptionGuard([&] {
        QPainter painter(this);
        painter.setClipRegion(event->region());
        painter.setTransform(QTransform(m_scale, 0, 0, m_scale, -m_boundsOrigin.x() * m_scale,
                                        -m_boundsOrigin.y() * m_scale));
        m_delegate->overlayViewDrawRect(this, &painter, rectFromWidgetRect(event->rect()));
    });
}

void KZOverlayView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_delegate)
        return;
    if (event->button() == Qt::LeftButton)
        m_delegate->overlayViewMouseDown(this, event);
    else if (event->button() == Qt::RightButton)
        m_delegate->overlayViewRightMouseDown(this, event);
}

void KZOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_delegate)
        return;
    if (event->buttons() & Qt::LeftButton)
        m_delegate->overlayViewMouseDragged(this, event);
    else if (event->buttons() & Qt::RightButton)
        m_delegate->overlayViewRightMouseDragged(this, event);
    else if (event->buttons() == Qt::NoButton)
        m_delegate->overlayViewMouseMoved(this, event);
}

void KZOverlayView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_delegate)
        return;
    if (event->button() == Qt::LeftButton)
        m_delegate->overlayViewMouseUp(this, event);
    else if (event->button() == Qt::RightButton)
        m_delegate->overlayViewRightMouseUp(this, event);
}

void KZOverlayView::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (m_delegate)
        m_delegate->overlayViewKeyDown(this, event);
}

void KZOverlayView::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    if (m_delegate)
        m_delegate->overlayViewKeyUp(this, event);
}

void KZOverlayView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    m_mouseEnteredTrackingArea.set(true);
}

void KZOverlayView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_mouseEnteredTrackingArea.set(false);
    setCursor(Qt::ArrowCursor);
}

bool KZOverlayView::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        event->accept();
        if (!m_delegate)
            return true;
        switch (gesture->gestureType()) {
        case Qt::BeginNativeGesture:
            m_gestureMagnification = 0.0;
            m_delegate->overlayViewMagnificationGesture(this, 1, 0.0);
            break;
        case Qt::ZoomNativeGesture:
            m_delegate->overlayViewMagnifyWithEvent(this, gesture);
            m_gestureMagnification += gesture->value();
            m_delegate->overlayViewMagnificationGesture(this, 2, m_gestureMagnification);
            break;
        case Qt::EndNativeGesture:
            m_delegate->overlayViewMagnificationGesture(this, 3, m_gestureMagnification);
            break;
        case Qt::SmartZoomNativeGesture:
            m_delegate->overlayViewSmartMagnifyWithEvent(this, gesture);
            break;
        default:
            break;
        }
        return true;
    }
    return QWidget::event(event);
}

bool KZOverlayView::focusNextPrevChild(bool)
{
    // Tab is a key like any other for the tools.
    return false;
}

void KZOverlayView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    myAddTrackingArea();
}

void KZOverlayView::myAddTrackingArea()
{
    // A pointer that is already inside counts as entered.
    if (isVisible() && rect().contains(mapFromGlobal(QCursor::pos())))
        m_mouseEnteredTrackingArea.set(true);
}

void KZOverlayView::handleScaleFactorDidChanged(const void* sender, const QVariantMap& userInfo)
{
    // Only a scroll view of this window counts.
    bool ours = false;
    for (SWScalingScrollView* scrollView : window()->findChildren<SWScalingScrollView*>())
        ours = ours || static_cast<const void*>(scrollView) == sender;
    if (!ours)
        return;
    platform::exceptionGuard([&] {
        const auto entry = userInfo.find(SWScalingScrollView::kScaleFactorKey);
        if (entry == userInfo.end())
            return;
        scaleTo(entry->toDouble() / HiResSupport::screenScaleFactor(this));
        myAddTrackingArea();
    });
}
