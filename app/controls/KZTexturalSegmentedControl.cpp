#include "KZTexturalSegmentedControl.h"

#include "KZTexturalSegmentedControlAccessible.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

KZTexturalSegmentedControl::KZTexturalSegmentedControl(QWidget* parent)
    : KZTexturalSegmentedControl(QString(), parent)
{
}

KZTexturalSegmentedControl::KZTexturalSegmentedControl(const QString& identifier, QWidget* parent)
    : QWidget(parent)
    , m_cell(std::make_unique<KZTexturalSegmentedCell>())
{
    KZTexturalSegmentedControlAccessible::install();
    m_cell->setIdentifier(identifier);
    construct();
}

KZTexturalSegmentedControl::~KZTexturalSegmentedControl()
{
    m_trackingAreaWrapper.reset();
}

void KZTexturalSegmentedControl::construct()
{
    m_cell->setSegmentStyle(1);
    m_trackingAreaWrapper = std::make_unique<KZTrackingAreaWrapper>(this, this);
    if (isVisible())
        m_trackingAreaWrapper->addTrackingArea();
}

void KZTexturalSegmentedControl::setSegmentCount(int count)
{
    const int before = m_cell->segmentCount();
    m_cell->setSegmentCount(count);
    if (m_cell->segmentCount() != before) {
        construct();
        updateGeometry();
    }
    update();
}

void KZTexturalSegmentedControl::setWidth(double width, int segment)
{
    m_cell->setWidth(width, segment);
    update();
}

void KZTexturalSegmentedControl::setLabel(const QString& label, int segment)
{
    m_cell->setLabel(label, segment);
    update();
}

void KZTexturalSegmentedControl::setImage(const QImage& image, int segment)
{
    m_cell->setImage(image, segment);
    update();
}

void KZTexturalSegmentedControl::setSelected(bool selected, int segment)
{
    m_cell->setSelected(selected, segment);
    if (selected) {
        m_cell->setSelectedSegment(segment);
    } else {
        bool any = false;
        for (int i = 0; i < segmentCount(); ++i)
            any = any || m_cell->isSelectedForSegment(i);
        if (!any)
            m_cell->setSelectedSegment(-1);
    }
    update();
}

void KZTexturalSegmentedControl::setSelectedSegment(int segment)
{
    m_cell->setSelectedSegment(segment);
    update();
}

void KZTexturalSegmentedControl::setEqualWidthForEachSegment()
{
    const int count = segmentCount();
    if (count < 1)
        return;
    const int total = width();
    const int each = int(std::ceil(double(total) / count));
    int used = 0;
    for (int i = 0; i < count - 1; ++i) {
        m_cell->setWidth(each, i);
        used += each;
    }
    m_cell->setWidth(total - used, count - 1);
    update();
}

void KZTexturalSegmentedControl::setTextColor(const std::optional<QColor>& color)
{
    m_cell->setTextColor(color);
    update();
}

QVariantMap KZTexturalSegmentedControl::segmentIndexUserInfoForMouseEvent(const QEvent* event) const
{
    if (!event)
        return {};
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return segmentIndexUserInfoForPoint(static_cast<const QMouseEvent*>(event)->position());
    case QEvent::Enter:
        return segmentIndexUserInfoForPoint(static_cast<const QEnterEvent*>(event)->position());
    default:
        // Leaving says nothing about a segment.
        return {};
    }
}

QVariantMap KZTexturalSegmentedControl::segmentIndexUserInfoForPoint(const QPointF& point) const
{
    double start = 0;
    for (int i = 0; i < segmentCount(); ++i) {
        const double width = widthForSegment(i);
        if (start < point.x() && point.x() <= start + width)
            return {{KZTexturalSegmentedCell::segmentIndexKey(), i}};
        start += width;
    }
    return {};
}

void KZTexturalSegmentedControl::performClick(int segment)
{
    if (segment < 0 || segment >= segmentCount())
        return;
    switch (trackingMode()) {
    case platform::SegmentedCell::SelectAny:
        setSelected(!isSelectedForSegment(segment), segment);
        break;
    case platform::SegmentedCell::Momentary:
        break;
    default:
        setSelectedSegment(segment);
        break;
    }
    m_targetAction.send(this, this);
}

QSize KZTexturalSegmentedControl::sizeHint() const
{
    const QFontMetrics metrics(m_cell->font().value_or(font()));
    int width = 0;
    for (int i = 0; i < segmentCount(); ++i) {
        const double explicitWidth = widthForSegment(i);
        width += explicitWidth > 0 ? int(std::ceil(explicitWidth)) : metrics.horizontalAdvance(labelForSegment(i)) + 16;
    }
    return QSize(width, metrics.height() + 10);
}

void KZTexturalSegmentedControl::mouseEntered(QEvent* event)
{
    m_cell->customControlMouseEntered(this, event, segmentIndexUserInfoForMouseEvent(event));
    update();
}

void KZTexturalSegmentedControl::mouseExited(QEvent* event)
{
    m_cell->customControlMouseExited(this, event, segmentIndexUserInfoForMouseEvent(event));
    update();
}

void KZTexturalSegmentedControl::mouseMoved(QMouseEvent* event)
{
    m_cell->customControlMouseMoved(this, event, segmentIndexUserInfoForMouseEvent(event));
    update();
}

void KZTexturalSegmentedControl::paintEvent(QPaintEvent*)
{
    // The plain control draws no segment of its own: the skins are all.
    QPainter painter(this);
    m_cell->customControlDrawWithFrame(this, painter, QRectF(rect()), {});
}

void KZTexturalSegmentedControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_tracking = true;
    m_pressPosition = event->position();
    m_cell->customControlMouseDown(this, event, segmentIndexUserInfoForMouseEvent(event));
    update();
    m_pressedSegment = m_cell->segmentAt(event->position().x(), width());
}

void KZTexturalSegmentedControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_tracking) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_tracking = false;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside && m_pressedSegment >= 0 && m_cell->segmentAt(event->position().x(), width()) == m_pressedSegment)
        performClick(m_pressedSegment);
    m_pressedSegment = -1;
    // The pressed look ends where it began, wherever the mouse went up.
    m_cell->customControlMouseUp(this, event, segmentIndexUserInfoForPoint(m_pressPosition));
    update();
}

void KZTexturalSegmentedControl::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}

void KZTexturalSegmentedControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}
