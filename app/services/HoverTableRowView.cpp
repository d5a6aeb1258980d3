#include "HoverTableRowView.h"

#include "platform/appkit/TrackingArea.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {
QGradientStops fadingStops(const QColor& colour)
{
    QColor clear = colour;
    clear.setAlphaF(0.0);
    return {{0.0, clear}, {0.35, colour}, {0.65, colour}, {1.0, clear}};
}

const QGradientStops& separatorStops()
{
    static const QGradientStops stops = fadingStops(QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
    return stops;
}

// A gradient along the rectangle's width (angle 0).
void fillAcross(QPainter& painter, const QRectF& rect, const QGradientStops& stops)
{
    QLinearGradient gradient(rect.left(), 0, rect.right(), 0);
    gradient.setStops(stops);
    painter.fillRect(rect, gradient);
}
} // namespace

void HoverTableDrawSeparatorGradient(QPainter& painter, const QRectF& rect)
{
    fillAcross(painter, rect, separatorStops());
}

HoverTableRowView::HoverTableRowView(QWidget* parent)
    : QWidget(parent)
{
    updateTrackingAreas();
}

void HoverTableRowView::setMouseInside(bool inside)
{
    if (m_mouseInside == inside)
        return;
    m_mouseInside = inside;
    setNeedsDisplay();
}

void HoverTableRowView::ensureTrackingArea()
{
    if (m_trackingArea)
        return;
    m_trackingArea = new platform::TrackingArea(QRectF(),
                                                platform::TrackingArea::MouseEnteredAndExited |
                                                    platform::TrackingArea::ActiveAlways |
                                                    platform::TrackingArea::InVisibleRect,
                                                this);
}

void HoverTableRowView::updateTrackingAreas()
{
    ensureTrackingArea();
    if (!platform::TrackingArea::areasOf(this).contains(m_trackingArea))
        platform::TrackingArea::addToView(this, m_trackingArea);
}

void HoverTableRowView::mouseEntered(QEvent*)
{
    setMouseInside(true);
}

void HoverTableRowView::mouseExited(QEvent*)
{
    setMouseInside(false);
}

QColor HoverTableRowView::backgroundColor() const
{
    return palette().color(QPalette::Base);
}

void HoverTableRowView::drawBackgroundInRect(QPainter& painter, const QRectF&)
{
    const QRectF bounds(rect());
    painter.fillRect(bounds, backgroundColor());
    if (m_mouseInside)
        fillAcross(painter, bounds, fadingStops(Qt::white));
}

QRectF HoverTableRowView::separatorRect() const
{
    const QRectF bounds(rect());
    return QRectF(bounds.x(), bounds.y() + bounds.height() - 1, bounds.width(), 1);
}

void HoverTableRowView::drawSeparatorInRect(QPainter& painter, const QRectF&)
{
    HoverTableDrawSeparatorGradient(painter, separatorRect());
}

void HoverTableRowView::drawSelectionInRect(QPainter&, const QRectF&)
{
}

void HoverTableRowView::setCellView(QWidget* cell)
{
    if (m_cellView == cell)
        return;
    delete m_cellView;
    m_cellView = cell;
    if (cell) {
        cell->setParent(this);
        cell->setGeometry(QRect(0, 0, width(), qMax(0, height() - 1)));
        cell->show();
    }
}

void HoverTableRowView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRectF dirty(event->rect());
    drawBackgroundInRect(painter, dirty);
    if (m_selected)
        drawSelectionInRect(painter, dirty);
    drawSeparatorInRect(painter, dirty);
}

void HoverTableRowView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_cellView)
        m_cellView->setGeometry(QRect(0, 0, width(), qMax(0, height() - 1)));
}

void HoverTableRowView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit pressed();
    QWidget::mousePressEvent(event);
}
