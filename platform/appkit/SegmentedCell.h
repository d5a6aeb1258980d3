#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QVector>

#include <optional>

namespace platform {

// The segments of a segmented control: their labels, images, widths and
// selection. Width 0 means "automatic": such segments share what explicit
// widths leave of the control. In select-one mode at most one segment is
// selected; in select-any mode any number, and selectedSegment() is the one
// selected last (or the first still selected).
class SegmentedCell {
public:
    enum TrackingMode { SelectOne = 0, SelectAny = 1, Momentary = 2 };

    SegmentedCell() = default;
    virtual ~SegmentedCell() = default;

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }

    int segmentCount() const { return int(m_segments.size()); }
    virtual void setSegmentCount(int count);

    double widthForSegment(int segment) const;
    void setWidth(double width, int segment);
    QString labelForSegment(int segment) const;
    void setLabel(const QString& label, int segment);
    QImage imageForSegment(int segment) const;
    void setImage(const QImage& image, int segment);
    int tagForSegment(int segment) const;
    void setTag(int tag, int segment);

    bool isSelectedForSegment(int segment) const;
    virtual void setSelected(bool selected, int segment);
    int selectedSegment() const { return m_selectedSegment; }
    // -1 deselects every segment.
    virtual void setSelectedSegment(int segment);

    int trackingMode() const { return m_trackingMode; }
    void setTrackingMode(int mode) { m_trackingMode = mode; }
    int segmentStyle() const { return m_segmentStyle; }
    void setSegmentStyle(int style) { m_segmentStyle = style; }
    std::optional<QFont> font() const { return m_font; }
    void setFont(const std::optional<QFont>& font) { m_font = font; }

    // Each segment's laid-out width in a control of the given width:
    // explicit widths as set, automatic ones sharing the rest.
    QVector<double> layoutWidths(double controlWidth) const;
    // The segment at x (0 at the control's left edge) for the control's own
    // tracking: a point on a boundary belongs to the left segment; -1 when
    // none.
    int segmentAt(double x, double controlWidth) const;

private:
    struct Segment {
        double width = 0;
        QString label;
        QImage image;
        int tag = 0;
        bool selected = false;
    };
    bool valid(int segment) const { return segment >= 0 && segment < segmentCount(); }
    QString m_identifier;
    QVector<Segment> m_segments;
    int m_selectedSegment = -1;
    int m_trackingMode = SelectOne;
    int m_segmentStyle = 0;
    std::optional<QFont> m_font;
};

} // namespace platform
