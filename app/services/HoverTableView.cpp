#include "HoverTableView.h"

#include "HoverTableRowView.h"
#include "HoverTableViewDelegate.h"

#include <QPaintEvent>
#include <QPainter>

HoverTableView::HoverTableView(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

void HoverTableView::registerCellMaker(const QString& identifier, CellMaker maker)
{
    m_makers.insert(identifier, std::move(maker));
}

QWidget* HoverTableView::makeViewWithIdentifier(const QString& identifier) const
{
    const auto maker = m_makers.value(identifier);
    return maker ? maker() : nullptr;
}

void HoverTableView::reloadData()
{
    qDeleteAll(m_rows);
    m_rows.clear();
    m_selectedRow = -1;
    const int count = m_delegate ? qMax(0, m_delegate->numberOfRowsInTableView(*this)) : 0;
    for (int row = 0; row < count; ++row) {
        auto* rowView = new HoverTableRowView(this);
        m_rows.append(rowView);
        connect(rowView, &HoverTableRowView::pressed, this, [this, rowView] { selectRow(int(m_rows.indexOf(rowView))); });
        rowView->setGeometry(rectOfRow(row).toRect());
        if (QWidget* cell = m_delegate->tableViewForRow(*this, row)) {
            rowView->setCellView(cell);
            // A row is named as its cell is (an application's title).
            rowView->setAccessibleName(cell->accessibleName());
        }
        rowView->show();
    }
    updateGeometry();
    layoutRows();
    update();
}

HoverTableRowView* HoverTableView::rowViewAtRow(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

QRectF HoverTableView::rectOfRow(int row) const
{
    return QRectF(0, double(row) * m_rowHeight, width(), m_rowHeight);
}

void HoverTableView::setRowHeight(int height)
{
    m_rowHeight = qMax(1, height);
    updateGeometry();
    layoutRows();
    update();
}

void HoverTableView::selectRow(int row)
{
    if (row < -1 || row >= m_rows.size() || row == m_selectedRow)
        return;
    m_selectedRow = row;
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows[i]->setSelected(i == row);
    if (m_delegate)
        m_delegate->tableViewSelectionDidChange(*this);
}

double HoverTableView::yPositionPastLastRow() const
{
    if (m_rows.isEmpty())
        return 0.0;
    const QRectF last = rectOfRow(int(m_rows.size()) - 1);
    return last.y() + last.height();
}

void HoverTableView::drawGridInClipRect(QPainter& painter, const QRectF&)
{
    const QRectF bounds(rect());
    const double bottom = bounds.y() + bounds.height();
    for (double y = yPositionPastLastRow() + m_rowHeight; y < bottom; y += m_rowHeight)
        HoverTableDrawSeparatorGradient(painter, QRectF(bounds.x(), y, bounds.width(), 1));
}

QSize HoverTableView::sizeHint() const
{
    return QSize(360, qMax(1, int(m_rows.size())) * m_rowHeight);
}

void HoverTableView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    drawGridInClipRect(painter, QRectF(event->rect()));
}

void HoverTableView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutRows();
}

void HoverTableView::layoutRows()
{
    for (int row = 0; row < m_rows.size(); ++row)
        m_rows[row]->setGeometry(rectOfRow(row).toRect());
}
