#pragma once

#include "platform/appkit/TrackingAreaOwner.h"

#include <QRectF>
#include <QWidget>

class QPainter;
namespace platform {
class TrackingArea;
}

// Draws the shared separator: a grey line that fades out at both ends,
// across the rectangle from left to right. The gradient's stops are made
// once for the process.
void HoverTableDrawSeparatorGradient(QPainter& painter, const QRectF& rect);

// A row of the my-apps table: a soft horizontal highlight under the mouse,
// its own faded separator line, and no selection colour (a selected row
// looks like any other).
class HoverTableRowView : public QWidget, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    explicit HoverTableRowView(QWidget* parent = nullptr);

    bool mouseInside() const { return m_mouseInside; }
    // Redraws only when the value changes.
    void setMouseInside(bool inside);
    // Asks for the whole row to be drawn again.
    virtual void setNeedsDisplay() { update(); }

    void ensureTrackingArea();
    void updateTrackingAreas();
    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    QColor backgroundColor() const;

    void drawBackgroundInRect(QPainter& painter, const QRectF& dirtyRect);
    QRectF separatorRect() const;
    void drawSeparatorInRect(QPainter& painter, const QRectF& dirtyRect);
    void drawSelectionInRect(QPainter& painter, const QRectF& dirtyRect);
    // Always the light style: texts keep their colours when selected.
    int interiorBackgroundStyle() const { return 0; }

    // The cell shown in the row, which the row lays over its whole area.
    void setCellView(QWidget* cell);
    QWidget* cellView() const { return m_cellView; }
    platform::TrackingArea* trackingArea() const { return m_trackingArea; }

signals:
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    platform::TrackingArea* m_trackingArea = nullptr;
    bool m_mouseInside = false;
    bool m_selected = false;
    QWidget* m_cellView = nullptr;
};
