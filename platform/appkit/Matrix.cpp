#include "Matrix.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

Matrix::Matrix(int mode, const CellFactory& factory, int rows, int columns, QWidget* parent)
    : QWidget(parent)
    , m_mode(mode)
    , m_rows(qMax(0, rows))
    , m_columns(qMax(0, columns))
{
    for (int i = 0; i < m_rows * m_columns; ++i)
        m_cells.push_back(factory());
}

Matrix::~Matrix() = default;

ButtonCell* Matrix::cellAt(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return nullptr;
    return m_cells[size_t(row * m_columns + column)].get();
}

QList<ButtonCell*> Matrix::cells() const
{
    QList<ButtonCell*> list;
    for (const auto& cell : m_cells)
        list << cell.get();
    return list;
}

void Matrix::setCellSize(const QSizeF& size)
{
    m_cellSize = size;
    updateGeometry();
    update();
}

void Matrix::setIntercellSpacing(const QSizeF& spacing)
{
    m_spacing = spacing;
    updateGeometry();
    update();
}

QRectF Matrix::cellFrame(int row, int column) const
{
    return QRectF(column * (m_cellSize.width() + m_spacing.width()), row * (m_cellSize.height() + m_spacing.height()),
                  m_cellSize.width(), m_cellSize.height());
}

bool Matrix::getRowColumnForPoint(const QPointF& point, int* row, int* column) const
{
    const double stepX = m_cellSize.width() + m_spacing.width();
    const double stepY = m_cellSize.height() + m_spacing.height();
    if (point.x() < 0 || point.y() < 0 || stepX <= 0 || stepY <= 0)
        return false;
    const int c = int(point.x() / stepX);
    const int r = int(point.y() / stepY);
    if (r >= m_rows || c >= m_columns || !cellFrame(r, c).contains(point))
        return false;
    *row = r;
    *column = c;
    return true;
}

void Matrix::selectCell(int row, int column)
{
    if (!cellAt(row, column))
        return;
    m_selectedRow = row;
    m_selectedColumn = column;
    if (m_mode == RadioMode) {
        for (int r = 0; r < m_rows; ++r) {
            for (int c = 0; c < m_columns; ++c)
                cellAt(r, c)->setState(r == row && c == column ? ButtonCell::On : ButtonCell::Off);
        }
    }
    update();
}

void Matrix::deselectAllCells()
{
    if (!m_allowsEmptySelection)
        return;
    m_selectedRow = m_selectedColumn = -1;
    if (m_mode == RadioMode) {
        for (const auto& cell : m_cells)
            cell->setState(ButtonCell::Off);
    }
    update();
}

void Matrix::performClick(int row, int column)
{
    ButtonCell* cell = cellAt(row, column);
    if (!cell || !cell->isEnabled())
        return;
    selectCell(row, column);
    m_targetAction.send(this, this);
}

QSize Matrix::sizeHint() const
{
    return QSizeF(m_columns * m_cellSize.width() + qMax(0, m_columns - 1) * m_spacing.width(),
                  m_rows * m_cellSize.height() + qMax(0, m_rows - 1) * m_spacing.height())
        .toSize();
}

void Matrix::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c)
            cellAt(r, c)->drawWithFrame(painter, cellFrame(r, c), this);
    }
}

void Matrix::mousePressEvent(QMouseEvent* event)
{
    m_pressedRow = m_pressedColumn = -1;
    int row = -1, column = -1;
    if (event->button() != Qt::LeftButton || !getRowColumnForPoint(event->position(), &row, &column)) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (!cellAt(row, column)->isEnabled())
        return;
    m_pressedRow = row;
    m_pressedColumn = column;
    cellAt(row, column)->setHighlighted(true);
    update();
}

void Matrix::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_pressedRow < 0) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    ButtonCell* pressed = cellAt(m_pressedRow, m_pressedColumn);
    pressed->setHighlighted(false);
    int row = -1, column = -1;
    const bool onPressed = getRowColumnForPoint(event->position(), &row, &column) && row == m_pressedRow
        && column == m_pressedColumn;
    m_pressedRow = m_pressedColumn = -1;
    update();
    if (!onPressed)
        return;
    selectCell(row, column);
    m_targetAction.send(this, this);
}

} // namespace platform
