#include "KZCanvasResizer.h"

#include "KZCanvasResizerDelegate.h"
#include "KZOverlayView.h"

#include "FloatingHUD.h"
#include "FloatingHUDWindowController.h"

#include "platform/foundation/Bundle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <cmath>

namespace {
// Knob half-side and hit-area growth in screen points at zoom 1.
constexpr double kKnobOffset = 3.0;
constexpr double kKnobExtension = 4.0;

// Half-open, as the platform tests points against rectangles: a point on
// the right or bottom edge lies outside.
bool pointInRect(const QPointF& p, const QRectF& r)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

QRectF squareAround(const QPointF& centre, double halfSide)
{
    return QRectF(centre.x() - halfSide, centre.y() - halfSide, 2 * halfSide, 2 * halfSide);
}
} // namespace

KZCanvasResizer::KZCanvasResizer() = default;

KZCanvasResizer::~KZCanvasResizer()
{
    m_delegate = nullptr;
}

bool KZCanvasResizer::isValidRect(const QRectF& r)
{
    return r.x() > kUnset && r.y() > kUnset && r.width() > kUnset && r.height() > kUnset;
}

bool KZCanvasResizer::isValidPoint(const QPointF& p)
{
    return p.x() > kUnset && p.y() > kUnset;
}

double KZCanvasResizer::knobOffset() const
{
    return m_scaleFactor > 0 ? kKnobOffset / m_scaleFactor : kKnobOffset;
}

double KZCanvasResizer::knobExtension() const
{
    return m_scaleFactor > 0 ? kKnobExtension / m_scaleFactor : kKnobExtension;
}

QRectF KZCanvasResizer::calcRightMiddleKnobFrameFromRect(const QRectF& frame, bool extends) const
{
    const double k = knobOffset();
    QRectF knob = squareAround(QPointF(frame.x() + frame.width() + k, frame.y() + frame.height() / 2), k);
    if (extends) {
        const double e = knobExtension();
        knob = QRectF(knob.x(), knob.y() - e, knob.width() + e, knob.height() + 2 * e);
    }
    return knob;
}

QRectF KZCanvasResizer::calcBottomMiddleKnobFrameFromRect(const QRectF& frame, bool extends) const
{
    const double k = knobOffset();
    QRectF knob = squareAround(QPointF(frame.x() + frame.width() / 2, frame.y() + frame.height() + k), k);
    if (extends) {
        const double e = knobExtension();
        knob = QRectF(knob.x() - e, knob.y(), knob.width() + 2 * e, knob.height() + e);
    }
    return knob;
}

QRectF KZCanvasResizer::calcBottomRightKnobFrameFromRect(const QRectF& frame, bool extends) const
{
    const double k = knobOffset();
    QRectF knob = squareAround(QPointF(frame.x() + frame.width() + k, frame.y() + frame.height() + k), k);
    if (extends) {
        const double e = knobExtension();
        knob = QRectF(knob.x(), knob.y(), knob.width() + 2 * e, knob.height() + 2 * e);
    }
    return knob;
}

KZCanvasResizer::ResizeType KZCanvasResizer::knobAtPoint(const QPointF& point, const QRectF& frame) const
{
    if (pointInRect(point, calcBottomMiddleKnobFrameFromRect(frame, true)))
        return BottomEdge;
    if (pointInRect(point, calcBottomRightKnobFrameFromRect(frame, true)))
        return BottomRightCorner;
    if (pointInRect(point, calcRightMiddleKnobFrameFromRect(frame, true)))
        return RightEdge;
    return None;
}

bool KZCanvasResizer::pointInKnobs(const QPointF& point, const QRectF& frame) const
{
    return knobAtPoint(point, frame) != None;
}

QRectF KZCanvasResizer::calcDraggingRect() const
{
    if (m_resizeType == None || !isValidRect(m_savedCanvasFrame) || !(m_savedCanvasFrame.width() > 0) ||
        !(m_savedCanvasFrame.height() > 0))
        return unsetRect();
    if (!isValidPoint(m_dstPoint))
        return m_savedCanvasFrame;
    // The knob's centre lies k outside the edge: grabbed at its centre, the
    // edge follows the mouse exactly.
    const double k = knobOffset();
    const QRectF& saved = m_savedCanvasFrame;
    double width = saved.width();
    double height = saved.height();
    if (m_resizeType == BottomRightCorner || m_resizeType == RightEdge)
        width = m_dstPoint.x() - saved.x() - k;
    if (m_resizeType == BottomRightCorner || m_resizeType == BottomEdge)
        height = m_dstPoint.y() - saved.y() - k;
    return QRectF(saved.x(), saved.y(), width, height);
}

void KZCanvasResizer::renderToContext(QPainter& painter, const QRectF& frame) const
{
    painter.save();
    if (frame.width() > 0 && frame.height() > 0) {
        drawKnobToContext(painter, calcBottomMiddleKnobFrameFromRect(frame, false));
        drawKnobToContext(painter, calcBottomRightKnobFrameFromRect(frame, false));
        drawKnobToContext(painter, calcRightMiddleKnobFrameFromRect(frame, false));
    }
    const QRectF dragging = calcDraggingRect();
    if (isValidRect(dragging) && dragging.width() > 0 && dragging.height() > 0) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setBrush(Qt::NoBrush);
        // One device pixel wide, dashes of one pixel: black, then white
        // shifted by one dash, so the outline shows on any picture.
        QPen pen(QColor(0, 0, 0, 204), 0);
        pen.setCosmetic(true);
        pen.setDashPattern({1.0, 1.0});
        pen.setDashOffset(0);
        painter.setPen(pen);
        painter.drawRect(dragging);
        pen.setColor(QColor(255, 255, 255, 204));
        pen.setDashOffset(1.0);
        painter.setPen(pen);
        painter.drawRect(dragging);
    }
    painter.restore();
}

void KZCanvasResizer::drawKnobToContext(QPainter& painter, const QRectF& knobRect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(knobRect, Qt::white);
    QPen pen(QColor::fromRgbF(0.3f, 0.3f, 0.3f, 1.0f));
    pen.setWidthF(m_scaleFactor > 0 ? 1.0 / m_scaleFactor : 1.0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(knobRect);
    painter.restore();
}

QPointF KZCanvasResizer::locationInView(KZOverlayView* view, const QMouseEvent* event)
{
    if (!event)
        return unsetPoint();
    if (!view)
        return event->position();
    QWidget* window = view->window();
    const QPointF inWidget = window == view ? event->scenePosition() : view->mapFrom(window, event->scenePosition());
    return view->pointFromWidget(inWidget);
}

void KZCanvasResizer::noteMouse(const QMouseEvent* event)
{
    if (event)
        m_mouseScreenLocation = event->globalPosition();
}

void KZCanvasResizer::redraw(KZOverlayView* view)
{
    if (view)
        view->update();
}

void KZCanvasResizer::overlayViewMouseDown(KZOverlayView* view, QMouseEvent* event, const QRectF& frame)
{
    noteMouse(event);
    m_resizeType = knobAtPoint(locationInView(view, event), frame);
    m_savedCanvasFrame = frame;
    m_dstPoint = unsetPoint();
    redraw(view);
    FloatingHUD::shared().show();
    updateFloatingHUDInfo();
}

void KZCanvasResizer::overlayViewMouseDragged(KZOverlayView* view, QMouseEvent* event)
{
    noteMouse(event);
    m_dstPoint = locationInView(view, event);
    redraw(view);
    updateFloatingHUDInfo();
}

void KZCanvasResizer::overlayViewMouseUp(KZOverlayView* view, QMouseEvent* event)
{
    noteMouse(event);
    const QRectF result = calcDraggingRect();
    if (isValidRect(result) && result.width() > 0 && result.height() > 0 && m_delegate)
        m_delegate->canvasResizerDidResizeTo(this, result);
    m_resizeType = None;
    m_savedCanvasFrame = unsetRect();
    m_dstPoint = unsetPoint();
    m_mouseScreenLocation.reset();
    redraw(view);
    FloatingHUD::shared().hide();
}

QCursor KZCanvasResizer::cursorForKnob(ResizeType type)
{
    std::optional<QCursor>& cached = m_cursors[std::size_t(type)];
    if (cached)
        return *cached;
    QString name;
    Qt::CursorShape fallback = Qt::ArrowCursor;
    switch (type) {
    case RightEdge:
        name = QStringLiteral("Resize0");
        fallback = Qt::SizeHorCursor;
        break;
    case BottomEdge:
        name = QStringLiteral("Resize2");
        fallback = Qt::SizeVerCursor;
        break;
    case BottomRightCorner:
        name = QStringLiteral("Resize3");
        fallback = Qt::SizeFDiagCursor;
        break;
    case None:
        break;
    }
    const QString path = platform::Bundle::pathForResource(name, QStringLiteral("png"), QStringLiteral("cursors"));
    const QPixmap image = path.isEmpty() ? QPixmap() : QPixmap(path);
    if (image.isNull())
        cached = QCursor(fallback);
    else
        cached = QCursor(image, image.width() / 2, image.height() / 2);
    return *cached;
}

std::optional<QCursor> KZCanvasResizer::cursorForPoint(const QPointF& point, const QRectF& frame)
{
    const ResizeType type = knobAtPoint(point, frame);
    if (type == None)
        return std::nullopt;
    return cursorForKnob(type);
}

void KZCanvasResizer::cursorUpdate(const QPointF& point, const QRectF& frame, QWidget* view)
{
    if (!view)
        return;
    if (const std::optional<QCursor> cursor = cursorForPoint(point, frame))
        view->setCursor(*cursor);
}

QString KZCanvasResizer::floatingHUDText() const
{
    const QRectF dragging = calcDraggingRect();
    if (!isValidRect(dragging))
        return QStringLiteral("- x - pixels");
    const long width = std::max(0L, std::lround(dragging.width()));
    const long height = std::max(0L, std::lround(dragging.height()));
    return QStringLiteral("%1 x %2 pixels").arg(width).arg(height);
}

void KZCanvasResizer::updateFloatingHUDInfo()
{
    FloatingHUD& hud = FloatingHUD::shared();
    const QString text = floatingHUDText();
    hud.updateText(text);
    // The title carries the text too, so window lists and assistive tools
    // can read what the HUD shows.
    if (hud.controller().isWindowLoaded())
        hud.controller().window()->setWindowTitle(text);
    const QPointF mouse = m_mouseScreenLocation ? *m_mouseScreenLocation : QPointF(QCursor::pos());
    hud.updateOrigin(mouse + QPointF(20, 35));
}
