#include "SegmentedCell.h"

namespace platform {

void SegmentedCell::setSegmentCount(int count)
{
    m_segments.resize(qMax(0, count));
    if (m_selectedSegment >= segmentCount())
        m_selectedSegment = -1;
}

double SegmentedCell::widthForSegment(int segment) const
{
    return valid(segment) ? m_segments[segment].width : 0.0;
}

void SegmentedCell::setWidth(double width, int segment)
{
    if (valid(segment))
        m_segments[segment].width = qMax(0.0, width);
}

QString SegmentedCell::labelForSegment(int segment) const
{
    return valid(segment) ? m_segments[segment].label : QString();
}

void SegmentedCell::setLabel(const QString& label, int segment)
{
    if (valid(segment))
        m_segments[segment].label = label;
}

QImage SegmentedCell::imageForSegment(int segment) const
{
    return valid(segment) ? m_segments[segment].image : QImage();
}

void SegmentedCell::setImage(const QImage& image, int segment)
{
    if (valid(segment))
        m_segments[segment].image = image;
}

int SegmentedCell::tagForSegment(int segment) const
{
    return valid(segment) ? m_segments[segment].tag : 0;
}

void SegmentedCell::setTag(int tag, int segment)
{
    if (valid(segment))
        m_segments[segment].tag = tag;
}

bool SegmentedCell::isSelectedForSegment(int segment) const
{
    return valid(segment) && m_segments[segment].selected;
}

void SegmentedCell::setSelected(bool selected, int segment)
{
    if (!valid(segment))
        return;
    if (selected) {
        if (m_trackingMode != SelectAny) {
            for (Segment& s : m_segments)
                s.selected = false;
        }
        m_segments[segment].selected = true;
        m_selectedSegment = segment;
        return;
    }
    m_segments[segment].selected = false;
    if (m_selectedSegment == segment) {
        m_selectedSegment = -1;
        for (int i = 0; i < segmentCount(); ++i) {
            if (m_segments[i].selected) {
                m_selectedSegment = i;
                break;
            }
        }
    }
}

void SegmentedCell::setSelectedSegment(int segment)
{
    if (segment < 0) {
        for (Segment& s : m_segments)
            s.selected = false;
        m_selectedSegment = -1;
        return;
    }
    setSelected(true, segment);
}

QVector<double> SegmentedCell::layoutWidths(double controlWidth) const
{
    QVector<double> widths;
    double fixed = 0;
    int automatic = 0;
    for (const Segment& s : m_segments) {
        fixed += s.width;
        automatic += s.width <= 0 ? 1 : 0;
    }
    const double share = automatic ? qMax(0.0, controlWidth - fixed) / automatic : 0.0;
    for (const Segment& s : m_segments)
        widths << (s.width > 0 ? s.width : share);
    return widths;
}

int SegmentedCell::segmentAt(double x, double controlWidth) const
{
    if (x < 0)
        return -1;
    const QVector<double> widths = layoutWidths(controlWidth);
    double start = 0;
    for (int i = 0; i < widths.size(); ++i) {
        if (widths[i] > 0 && x <= start + widths[i])
            return i;
        start += widths[i];
    }
    return -1;
}

} // namespace platform
