#include "KZColorMatrix.h"

#include "../controls/ControlTestSupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

#include <gtest/gtest.h>

namespace {
std::shared_ptr<platform::ColorList> listOf(const QString& text)
{
    return std::make_shared<platform::ColorList>(platform::ColorList::fromText(QString(), text));
}

QList<QColor> cellColours(const KZColorMatrix& matrix)
{
    QList<QColor> colours;
    for (platform::ButtonCell* cell : matrix.cells())
        colours << static_cast<KZColorButtonCell*>(cell)->color();
    return colours;
}

const QColor kA(10, 20, 30), kB(40, 50, 60), kC(70, 80, 90);
} // namespace

TEST(KZColorMatrix, ShowsTheListFromTheFrontOrNewestFirstAndOnlyAsManyAsItHasCells)
{
    KZColorMatrix matrix(1, 3);
    matrix.setColorList(listOf("#FF0000 Red\n#00FF00 Green\n#0000FF Blue\n#FFFFFF White\n"));
    EXPECT_EQ(cellColours(matrix), QList<QColor>({QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)}));
    EXPECT_EQ(matrix.toolTipForCell(matrix.cellAt(0, 2)), "Blue");
    EXPECT_EQ(matrix.cellAt(0, 2)->title(), "Blue");

    matrix.setFrontMagnitude(false);
    matrix.assignColors(true); // the flag is not what decides
    EXPECT_EQ(cellColours(matrix), QList<QColor>({QColor(255, 255, 255), QColor(0, 0, 255), QColor(0, 255, 0)}));
    EXPECT_EQ(matrix.toolTipForCell(matrix.cellAt(0, 0)), "White");

    // A shorter list leaves the other cells without a colour: disabled.
    matrix.setColorList(listOf("#FF0000 Red\n"));
    EXPECT_EQ(cellColours(matrix), QList<QColor>({QColor(255, 0, 0), QColor(), QColor()}));
    EXPECT_FALSE(matrix.cellAt(0, 1)->isEnabled());
    EXPECT_TRUE(matrix.toolTipForCell(matrix.cellAt(0, 1)).isEmpty());
    EXPECT_TRUE(matrix.cellAt(0, 1)->title().isEmpty());
    EXPECT_EQ(matrix.lastColorCell(), matrix.cellAt(0, 0));
}

TEST(KZColorMatrix, UserSwatchesCollectNewestFirstAndARepeatedColourMovesToTheFront)
{
    KZColorMatrix matrix(1, 4);
    matrix.setFrontMagnitude(false);
    matrix.setColorList(std::make_shared<platform::ColorList>(QString()));
    EXPECT_EQ(matrix.lastColorCell(), nullptr);
    matrix.appendColor(QColor()); // no colour: nothing
    EXPECT_TRUE(matrix.colorList()->allKeys().isEmpty());

    matrix.appendColor(kA);
    matrix.appendColor(kB);
    matrix.appendColor(kC);
    EXPECT_EQ(cellColours(matrix), QList<QColor>({kC, kB, kA, QColor()}));
    EXPECT_EQ(matrix.colorList()->allKeys(), QStringList({"10 20 30", "40 50 60", "70 80 90"}));
    // The last coloured cell is selected, which in this order shows the
    // oldest colour.
    EXPECT_EQ(matrix.selectedColumn(), 2);
    EXPECT_EQ(matrix.selectedColor(), kA);
    EXPECT_EQ(matrix.cellAt(0, 2)->state(), platform::ButtonCell::On);

    // Again, in another form: still one swatch, now the newest.
    matrix.appendColor(QColor::fromHsv(kA.hue(), kA.saturation(), kA.value()).toRgb());
    EXPECT_EQ(matrix.colorList()->allKeys().size(), 3);
    EXPECT_EQ(matrix.toolTipForCell(matrix.cellAt(0, 0)), "10 20 30");
}

TEST(KZColorMatrix, EachSwatchIsAnAccessibleChildWithItsNameExtentsAndPress)
{
    auto* matrix = new KZColorMatrix(2, 2);
    matrix->setCellSize(QSizeF(18, 18));
    matrix->setIntercellSpacing(QSizeF(2, 2));
    matrix->setColorList(listOf("#FF0000 Red\n#00FF00 Green\n#0000FF Blue\n"));
    ActionCounter counter("selectedColor:");
    matrix->setTarget(&counter);
    matrix->setAction("selectedColor:");
    ControlHost host(matrix, QRect(10, 6, 38, 38));

    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(matrix);
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(face->childCount(), 4);
    const QStringList names = {"Red", "Green", "Blue", "Empty Swatch"};
    for (int i = 0; i < 4; ++i) {
        QAccessibleInterface* cell = face->child(i);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), names[i]) << i;
        EXPECT_EQ(cell->role(), QAccessible::Button);
        EXPECT_EQ(cell->parent(), face);
        EXPECT_EQ(face->indexOfChild(cell), i);
        const QRect local = matrix->cellFrame(i / 2, i % 2).toAlignedRect();
        EXPECT_EQ(cell->rect(), QRect(matrix->mapToGlobal(local.topLeft()), local.size())) << i;
        EXPECT_EQ(face->childAt(cell->rect().center().x(), cell->rect().center().y()), cell) << i;
    }
    EXPECT_EQ(face->child(0)->text(QAccessible::Description), "255 0 0");
    EXPECT_TRUE(face->child(3)->state().disabled); // no colour

    // Pressing "Blue" chooses it as a click would.
    QAccessibleInterface* blue = face->child(2);
    auto* press = blue->actionInterface();
    ASSERT_NE(press, nullptr);
    press->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(counter.count, 1);
    EXPECT_EQ(counter.lastSender, matrix);
    EXPECT_EQ(matrix->selectedColor(), QColor(0, 0, 255));
    EXPECT_TRUE(blue->state().checked);
    // A cell without a colour cannot be chosen.
    face->child(3)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(counter.count, 1);
}
