#pragma once

#include <QHash>
#include <QList>
#include <QRectF>
#include <QWidget>

#include <functional>

class HoverTableRowView;
class HoverTableViewDelegate;

// The my-apps table: one column of rows of one height, stacked from the top,
// one row selected at most. Below the last row it goes on drawing faded
// separators at row spacing, so an almost empty list still looks ruled.
class HoverTableView : public QWidget {
    Q_OBJECT
public:
    explicit HoverTableView(QWidget* parent = nullptr);

    // Not owned.
    void setDelegate(HoverTableViewDelegate* delegate) { m_delegate = delegate; }
    HoverTableViewDelegate* delegate() const { return m_delegate; }

    // Cells are made by identifier, from the maker registered for it.
    using CellMaker = std::function<QWidget*()>;
    void registerCellMaker(const QString& identifier, CellMaker maker);
    // A new cell of that kind, or null for an unknown identifier. The caller
    // owns it until it hands it to the table.
    QWidget* makeViewWithIdentifier(const QString& identifier) const;

    void reloadData();
    int numberOfRows() const { return int(m_rows.size()); }
    HoverTableRowView* rowViewAtRow(int row) const;
    QRectF rectOfRow(int row) const;
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int height);

    int selectedRow() const { return m_selectedRow; }
    // -1 clears the selection; the delegate hears of a change only.
    void selectRow(int row);

    double yPositionPastLastRow() const;
    void drawGridInClipRect(QPainter& painter, const QRectF& clipRect);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutRows();
    HoverTableViewDelegate* m_delegate = nullptr;
    QHash<QString, CellMaker> m_makers;
    QList<HoverTableRowView*> m_rows;
    int m_rowHeight = 64;
    int m_selectedRow = -1;
};
