#pragma once

#include "KZTexturalSegmentedCell.h"
#include "KZTrackingAreaWrapper.h"

#include "platform/appkit/TargetAction.h"

#include <QPointF>
#include <QWidget>

#include <QHash>

#include <memory>

// A segmented control drawn from skins: the ribbon's rows of tool buttons
// and the tab views' selector. Hover and press looks follow the segment
// under the mouse, found from the explicit segment widths (a point on a
// boundary belongs to the left segment). A click selects the segment and
// sends the action. Each segment is an accessible child named by its label.
class KZTexturalSegmentedControl : public QWidget, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    explicit KZTexturalSegmentedControl(QWidget* parent = nullptr);
    explicit KZTexturalSegmentedControl(const QString& identifier, QWidget* parent = nullptr);
    ~KZTexturalSegmentedControl() override;

    KZTexturalSegmentedCell* cell() const { return m_cell.get(); }
    QString identifier() const { return m_cell->identifier(); }

    int segmentCount() const { return m_cell->segmentCount(); }
    void setSegmentCount(int count);
    double widthForSegment(int segment) const { return m_cell->widthForSegment(segment); }
    void setWidth(double width, int segment);
    QString labelForSegment(int segment) const { return m_cell->labelForSegment(segment); }
    // The name a segment is found by; its label unless one is given (where
    // the label alone would repeat another control's name).
    QString accessibleNameForSegment(int segment) const
    {
        return m_accessibleNames.value(segment, labelForSegment(segment));
    }
    void setAccessibleNameForSegment(const QString& name, int segment) { m_accessibleNames.insert(segment, name); }
    void setLabel(const QString& label, int segment);
    QImage imageForSegment(int segment) const { return m_cell->imageForSegment(segment); }
    void setImage(const QImage& image, int segment);
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    bool isSelectedForSegment(int segment) const { return m_cell->isSelectedForSegment(segment); }
    // Selecting makes the segment the selected one; deselecting the last
    // selected segment leaves none (-1).
    void setSelected(bool selected, int segment);
    int selectedSegment() const { return m_cell->selectedSegment(); }
    void setSelectedSegment(int segment);
    int trackingMode() const { return m_cell->trackingMode(); }
    void setTrackingMode(int mode) { m_cell->setTrackingMode(mode); }

    // Every segment but the last as wide as the width divided by the count,
    // rounded up; the last takes the rest.
    void setEqualWidthForEachSegment();

    std::optional<QColor> textColor() const { return m_cell->textColor(); }
    void setTextColor(const std::optional<QColor>& color);

    void setTarget(platform::Responder* target) { m_targetAction.setTarget(target); }
    void setAction(const QString& action) { m_targetAction.setAction(action); }

    // {"kKeySegmentIndex": index} for a mouse event over a segment with an
    // explicit width; empty otherwise.
    QVariantMap segmentIndexUserInfoForMouseEvent(const QEvent* event) const;
    QVariantMap segmentIndexUserInfoForPoint(const QPointF& point) const;

    // What a click on the segment does once the mouse goes up on it.
    void performClick(int segment);

    KZTrackingAreaWrapper* trackingAreaWrapper() const { return m_trackingAreaWrapper.get(); }
    QSize sizeHint() const override;

    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;
    void mouseMoved(QMouseEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void construct();
    std::unique_ptr<KZTexturalSegmentedCell> m_cell;
    QHash<int, QString> m_accessibleNames;
    std::unique_ptr<KZTrackingAreaWrapper> m_trackingAreaWrapper;
    platform::TargetAction m_targetAction;
    int m_tag = 0;
    int m_pressedSegment = -1;
    QPointF m_pressPosition;
    bool m_tracking = false;
};
