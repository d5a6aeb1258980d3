#include "KZSegmentAccessible.h"

#include "KZTexturalSegmentedControl.h"

KZSegmentAccessible::KZSegmentAccessible(KZTexturalSegmentedControl* control, int segment)
    : KZAccessibleItem(control)
    , m_segment(segment)
{
}

KZTexturalSegmentedControl* KZSegmentAccessible::segmentedControl() const
{
    return static_cast<KZTexturalSegmentedControl*>(control());
}

bool KZSegmentAccessible::itemExists() const
{
    return m_segment < segmentedControl()->segmentCount();
}

QString KZSegmentAccessible::name() const
{
    return segmentedControl()->accessibleNameForSegment(m_segment);
}

QString KZSegmentAccessible::description() const
{
    // The segment's label names and describes it.
    return segmentedControl()->labelForSegment(m_segment);
}

QRect KZSegmentAccessible::localRect() const
{
    KZTexturalSegmentedControl* c = segmentedControl();
    const QVector<QRectF> rects = c->cell()->drawingRects(QSizeF(c->size()));
    return m_segment < rects.size() ? rects[m_segment].toAlignedRect() : QRect();
}

bool KZSegmentAccessible::isChecked() const
{
    return segmentedControl()->isSelectedForSegment(m_segment);
}

void KZSegmentAccessible::press()
{
    segmentedControl()->performClick(m_segment);
}
