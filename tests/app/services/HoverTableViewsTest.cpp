#include "HoverTableRowView.h"
#include "HoverTableView.h"
#include "HoverTableViewDelegate.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

// A row that counts how often it asks to be drawn again.
class CountingRow : public HoverTableRowView {
public:
    int redraws = 0;
    void setNeedsDisplay() override
    {
        ++redraws;
        HoverTableRowView::setNeedsDisplay();
    }
};

class Rows : public HoverTableViewDelegate {
public:
    int count = 0;
    int selectionChanges = 0;
    int numberOfRowsInTableView(HoverTableView&) override { return count; }
    QWidget* tableViewForRow(HoverTableView&, int) override { return nullptr; }
    void tableViewSelectionDidChange(HoverTableView&) override { ++selectionChanges; }
};

// Close enough to be the same colour after the gradient's edge sampling.
bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 6 && qAbs(qGreen(a) - qGreen(b)) <= 6 && qAbs(qBlue(a) - qBlue(b)) <= 6;
}

QImage render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}

} // namespace

TEST(HoverTableRowView, EnteringAndLeavingRedrawTwiceAndMovingInsideNever)
{
    // The mouse reaches the row through its tracking area, as the window
    // system's events would.
    CountingRow row;
    row.resize(200, 40);
    row.show();

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), row.mapToGlobal(QPointF(10, 10)));
    QCoreApplication::sendEvent(&row, &enter);
    EXPECT_TRUE(row.mouseInside());
    EXPECT_EQ(row.redraws, 1);

    for (int x = 20; x < 180; x += 40) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 20), row.mapToGlobal(QPointF(x, 20)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&row, &move);
    }
    EXPECT_EQ(row.redraws, 1);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&row, &leave);
    EXPECT_FALSE(row.mouseInside());
    EXPECT_EQ(row.redraws, 2);
}

TEST(HoverTableRowView, HoverBrightensTheMiddleAndSelectionDrawsNothing)
{
    HoverTableRowView row;
    row.resize(200, 40);
    QPalette dark = row.palette();
    dark.setColor(QPalette::Base, QColor(40, 40, 40));
    row.setPalette(dark);
    const QImage plain = render(row);
    row.setSelected(true);
    EXPECT_EQ(render(row), plain);
    row.setMouseInside(true);
    const QImage hovered = render(row);
    // The highlight is white in the middle and fades out at the ends.
    EXPECT_GT(qRed(hovered.pixel(100, 20)), 200);
    EXPECT_TRUE(near(hovered.pixel(0, 20), plain.pixel(0, 20)));
    // The separator: the last point row, grey in the middle, faded at the ends.
    EXPECT_EQ(row.separatorRect(), QRectF(0, 39, 200, 1));
    EXPECT_NEAR(qRed(plain.pixel(100, 39)), 204, 2);
    EXPECT_TRUE(near(plain.pixel(0, 39), plain.pixel(0, 20)));
}

TEST(HoverTableView, SeparatorsGoOnBelowTheLastRowAtRowSpacing)
{
    Rows rows;
    HoverTableView table;
    table.setDelegate(&rows);
    table.setRowHeight(20);
    table.resize(100, 100);
    QPalette palette = table.palette();
    palette.setColor(QPalette::Base, Qt::black);
    table.setPalette(palette);

    const auto ruled = [&table] {
        // The paint of the table alone: the rows draw their own lines.
        QImage image(table.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        table.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        QList<int> lines;
        for (int y = 0; y < image.height(); ++y)
            if (qRed(image.pixel(50, y)) > 100)
                lines << y;
        return lines;
    };
    EXPECT_EQ(table.yPositionPastLastRow(), 0.0);
    EXPECT_EQ(ruled(), QList<int>({20, 40, 60, 80}));

    rows.count = 2;
    table.reloadData();
    EXPECT_EQ(table.yPositionPastLastRow(), 40.0);
    EXPECT_EQ(ruled(), QList<int>({60, 80}));
}

TEST(HoverTableView, SelectionChangesAreReportedOnce)
{
    Rows rows;
    rows.count = 3;
    HoverTableView table;
    table.setDelegate(&rows);
    table.resize(100, 200);
    table.reloadData();
    table.selectRow(1);
    table.selectRow(1);
    EXPECT_EQ(rows.selectionChanges, 1);
    EXPECT_TRUE(table.rowViewAtRow(1)->isSelected());
    table.selectRow(2);
    EXPECT_FALSE(table.rowViewAtRow(1)->isSelected());
    EXPECT_EQ(rows.selectionChanges, 2);
    table.selectRow(7);
    EXPECT_EQ(table.selectedRow(), 2);
}
