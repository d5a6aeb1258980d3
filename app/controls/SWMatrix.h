#pragma once

#include "KZTrackingAreaWrapper.h"

#include "platform/appkit/Matrix.h"

#include <QPoint>

#include <memory>

class KZCustomControlActions;

// A matrix that knows which cell is under the mouse and gives skinned cells
// their hover, pressed and drawing calls. A click in the gap between cells
// neither selects nor sends anything. Empty selection is allowed. Each
// cell is a child of the matrix in the accessibility tree.
class SWMatrix : public platform::Matrix, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    SWMatrix(int mode, const CellFactory& factory, int rows, int columns, QWidget* parent = nullptr);
    ~SWMatrix() override;

    // Row and column of the cell under the mouse; (-1, -1) for none.
    QPoint hoveredPoint() const { return m_hoveredPoint; }
    platform::ButtonCell* hoveredCell() const;

    // What the accessibility tree calls a cell: its title by default.
    virtual QString accessibleNameForCell(int row, int column) const;
    virtual QString accessibleDescriptionForCell(int row, int column) const;

    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;
    void mouseMoved(QMouseEvent* event) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static KZCustomControlActions* actions(platform::ButtonCell* cell);
    void hoverAt(const QPointF& point, QEvent* event);
    std::unique_ptr<KZTrackingAreaWrapper> m_trackingAreaWrapper;
    QPoint m_hoveredPoint{-1, -1};
    bool m_tracking = false;
};
