#pragma once

#include "ButtonCell.h"
#include "TargetAction.h"

#include <QSizeF>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

// A grid of button cells of one size with gaps between them. A click (press
// and release on the same cell) selects that cell and sends the action; in
// radio mode the selected cell alone is on. A press in a gap does nothing.
class Matrix : public QWidget {
    Q_OBJECT
public:
    enum Mode { RadioMode = 0, HighlightMode = 1, ListMode = 2, TrackMode = 3 };
    using CellFactory = std::function<std::unique_ptr<ButtonCell>()>;

    Matrix(int mode, const CellFactory& factory, int rows, int columns, QWidget* parent = nullptr);
    ~Matrix() override;

    int numberOfRows() const { return m_rows; }
    int numberOfColumns() const { return m_columns; }
    ButtonCell* cellAt(int row, int column) const;
    // Every cell, row by row.
    QList<ButtonCell*> cells() const;

    QSizeF cellSize() const { return m_cellSize; }
    void setCellSize(const QSizeF& size);
    QSizeF intercellSpacing() const { return m_spacing; }
    void setIntercellSpacing(const QSizeF& spacing);
    QRectF cellFrame(int row, int column) const;
    // The cell under the point; false in a gap or outside.
    bool getRowColumnForPoint(const QPointF& point, int* row, int* column) const;

    int mode() const { return m_mode; }
    bool allowsEmptySelection() const { return m_allowsEmptySelection; }
    void setAllowsEmptySelection(bool allows) { m_allowsEmptySelection = allows; }
    int selectedRow() const { return m_selectedRow; }
    int selectedColumn() const { return m_selectedColumn; }
    ButtonCell* selectedCell() const { return cellAt(m_selectedRow, m_selectedColumn); }
    void selectCell(int row, int column);
    // Only when empty selection is allowed.
    void deselectAllCells();

    // What a click on an enabled cell does, without the mouse: select it
    // and send the action (for accessibility and keyboard presses).
    void performClick(int row, int column);

    void setTarget(Responder* target) { m_targetAction.setTarget(target); }
    void setAction(const QString& action) { m_targetAction.setAction(action); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_mode;
    int m_rows;
    int m_columns;
    std::vector<std::unique_ptr<ButtonCell>> m_cells;
    QSizeF m_cellSize{32, 32};
    QSizeF m_spacing{1, 1};
    bool m_allowsEmptySelection = false;
    int m_selectedRow = -1;
    int m_selectedColumn = -1;
    int m_pressedRow = -1;
    int m_pressedColumn = -1;
    TargetAction m_targetAction;
};

} // namespace platform
