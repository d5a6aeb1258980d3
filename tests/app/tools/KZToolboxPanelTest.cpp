// The toolbox ribbon: narrowing collapses Shapes, then Paste, then Image
// into drop-down buttons and widening restores them in reverse; every
// control drives the toolbox controller and follows it.
#include "KZColorButton.h"
#include "KZColorMatrix.h"
#include "KZColorPanel.h"
#include "KZTexturalButton.h"
#include "KZOrbStyleToolPanelItem.h"
#include "KZMenu.h"
#include "KZMenuItem.h"
#include "KZPopupButtonAdv.h"
#include "KZRibbonIcons.h"
#include "KZShapePanelItem.h"
#include "KZTexturalButton.h"
#include "KZTexturalSegmentedControl.h"
#include "KZToolboxController.h"
#include "KZToolboxPanel.h"
#include "SWMatrix.h"
#include "SWTool.h"
#include "SWToolbox.h"

#include "../controls/GoldenImage.h"

#include <QAccessible>
#include <QSpinBox>

#include <functional>
#include <gtest/gtest.h>

namespace {
QStringList registryLabels(KZToolboxController* controller)
{
    QStringList labels;
    for (const SWToolbox::ToolClass& toolClass : SWToolbox::toolClassList()) {
        if (toolClass.make)
            labels << toolClass.make(controller)->description();
    }
    return labels;
}

// Lets posted work (the colour panel's deferred change) run until the
// condition holds, a bounded number of turns.
bool settles(const std::function<bool()>& condition)
{
    for (int turn = 0; turn < 200 && !condition(); ++turn)
        QTest::qWait(10);
    return condition();
}

struct Ribbon {
    KZToolboxController controller;
    KZToolboxPanel* panel = new KZToolboxPanel(&controller, registryLabels(&controller), nullptr);
    ControlHost host{panel, QRect(0, 0, 1400, KZToolboxPanel::kGroupHeight),
                     QSize(1400, KZToolboxPanel::kGroupHeight)};

    void setWidth(int width)
    {
        host.window.resize(width, KZToolboxPanel::kGroupHeight);
        panel->resize(width, KZToolboxPanel::kGroupHeight);
        panel->toolPanel()->sizeToFit();
        QApplication::processEvents();
    }
    QStringList smallGroups() const
    {
        QStringList titles;
        for (KZOrbStyleToolPanelItem* item : panel->allItems())
            if (item->mode() == KZOrbStyleToolPanelItem::kSmall)
                titles << item->title();
        return titles;
    }
    // The width the groups take as they are now, separators included.
    int neededWidth() const
    {
        int width = 0;
        for (KZOrbStyleToolPanelItem* item : panel->allItems())
            width += item->size()
                     + (item->mode() == KZOrbStyleToolPanelItem::kSmall ? 0 : KZOrbStyleToolPanel::kSeparatorWidth);
        return width;
    }
    QImage picture() const
    {
        QImage image = const_cast<QWidget*>(static_cast<const QWidget*>(panel))->grab().toImage();
        image.setDevicePixelRatio(1.0);
        return image;
    }
};

QRect cellRect(SWMatrix* matrix, const QString& title)
{
    for (int r = 0; r < matrix->numberOfRows(); ++r)
        for (int c = 0; c < matrix->numberOfColumns(); ++c)
            if (matrix->cellAt(r, c)->title() == title)
                return matrix->cellFrame(r, c).toAlignedRect();
    return QRect();
}
} // namespace

TEST(KZToolboxPanel, NarrowingCollapsesShapesThenPasteThenImageAndWideningRestoresThem)
{
    Ribbon r;
    r.setWidth(1400);
    EXPECT_TRUE(r.smallGroups().isEmpty());
    EXPECT_LE(r.panel->preferredWidth(), 1400);
    expectMatchesGolden("ribbon_1400", r.picture());

    r.setWidth(1000);
    EXPECT_EQ(r.smallGroups(), QStringList({"Shapes"}));
    expectMatchesGolden("ribbon_1000", r.picture());
    // One point narrower than the groups as they are (separators aside):
    // the next group by priority shrinks.
    const int withPaste = r.panel->toolPanel()->needSize();
    r.setWidth(withPaste - 1);
    EXPECT_EQ(r.smallGroups(), QStringList({"Paste", "Shapes"}));
    const int withImage = r.panel->toolPanel()->needSize();
    r.setWidth(withImage - 1);
    EXPECT_EQ(r.smallGroups(), QStringList({"Paste", "Image", "Shapes"}));
    // That is the narrowest arrangement; with its separators, the width the
    // window keeps.
    const int smallest = r.neededWidth();
    EXPECT_EQ(smallest, r.panel->smallestWidth());
    r.setWidth(smallest);
    for (KZOrbStyleToolPanelItem* item : r.panel->allItems()) {
        EXPECT_LT(item->view()->geometry().right(), smallest) << item->title().toStdString() << " fits";
    }
    r.setWidth(700);
    EXPECT_EQ(r.smallGroups(), QStringList({"Paste", "Image", "Shapes"}));
    expectMatchesGolden("ribbon_700", r.picture());

    // Narrower still: the groups that must stay keep their controls.
    r.setWidth(400);
    for (KZOrbStyleToolPanelItem* item : {r.panel->toolsPanelItem(), r.panel->dabBrushPanelItem(),
                                          r.panel->sizePanelItem(), r.panel->colorsPanelItem()})
        EXPECT_EQ(item->mode(), "normal") << item->title().toStdString();

    r.setWidth(withImage);
    EXPECT_EQ(r.smallGroups(), QStringList({"Paste", "Shapes"})) << "Image comes back first";
    r.setWidth(withPaste);
    EXPECT_EQ(r.smallGroups(), QStringList({"Shapes"}));
    r.setWidth(1400);
    EXPECT_TRUE(r.smallGroups().isEmpty());
}

TEST(KZToolboxPanel, EveryToolOfTheRegistryButThePixelGridSelectionsHasAControlThatMakesItCurrent)
{
    Ribbon r;
    r.setWidth(1400);
    const QStringList labels = registryLabels(&r.controller);
    // The pixel-grid selections stay registered but no ribbon control offers
    // them: the Image group's selections do that job.
    const QStringList unoffered = {"Rectangle Selection", "Arbitrary Selection"};
    for (const QString& label : unoffered) {
        EXPECT_TRUE(labels.contains(label)) << label.toStdString();
        EXPECT_FALSE(r.panel->reachableToolLabels().contains(label)) << label.toStdString();
        for (const SWMatrix* matrix : std::initializer_list<const SWMatrix*>{r.panel->toolMatrix(), r.panel->shapeMatrix()})
            for (const platform::ButtonCell* cell : matrix->cells())
                EXPECT_NE(cell->title(), label) << matrix->accessibleName().toStdString();
    }
    for (const QString& label : labels)
        if (!unoffered.contains(label))
            EXPECT_TRUE(r.panel->reachableToolLabels().contains(label)) << label.toStdString();
    // Chosen by label, a pixel-grid selection is current with no cell marked.
    r.controller.chooseToolWithLabel("Rectangle Selection");
    EXPECT_EQ(r.controller.currentTool(), "Rectangle Selection");
    EXPECT_EQ(r.panel->toolMatrix()->selectedCell(), nullptr);

    // A paint-tool segment: row 1, segment 2 is the eyedropper.
    KZTexturalSegmentedControl* row1 = r.panel->toolsSegments(1);
    const QRect third = row1->cell()->drawingRects(QSizeF(row1->size()))[2].toAlignedRect();
    QTest::mouseClick(row1, Qt::LeftButton, {}, third.center());
    EXPECT_EQ(r.controller.currentTool(), "Eyedropper");
    EXPECT_EQ(row1->selectedSegment(), 2);

    // A shape cell; the rows then show nothing chosen.
    SWMatrix* shapes = r.panel->shapeMatrix();
    QTest::mouseClick(shapes, Qt::LeftButton, {}, cellRect(shapes, "heart").center());
    EXPECT_EQ(r.controller.currentTool(), "heart");
    EXPECT_EQ(row1->selectedSegment(), -1);
    EXPECT_EQ(shapes->selectedCell()->title(), "heart");

    // The brush button's action part; the shape cell lets go.
    KZTexturalButton* brushes = r.panel->brushListButton()->actionButton();
    QTest::mouseClick(brushes, Qt::LeftButton, {}, brushes->rect().center());
    EXPECT_EQ(r.controller.currentTool(), "Brushes");
    EXPECT_TRUE(brushes->isChecked());
    EXPECT_EQ(shapes->selectedCell(), nullptr);

    // The selection button's action part chooses the selection tool it shows.
    KZTexturalButton* selection = r.panel->selectionListButton()->actionButton();
    QTest::mouseClick(selection, Qt::LeftButton, {}, selection->rect().center());
    EXPECT_EQ(r.controller.currentTool(), "rectangle selection");
    EXPECT_FALSE(brushes->isChecked());

    // The controller changed elsewhere: the controls follow.
    r.controller.chooseToolWithLabel("Bomb");
    EXPECT_EQ(r.panel->toolMatrix()->selectedCell()->title(), "Bomb");
    EXPECT_EQ(r.panel->selectionListButton()->state(), 0);
    EXPECT_FALSE(selection->isChecked());
    r.controller.setLineWidth(7);
    EXPECT_EQ(r.panel->lineWidthField()->value(), 7);
}

TEST(KZToolboxPanel, TheImageGroupOffersTheVectorSelectionToolsThroughItsSplitButtonBesideCrop)
{
    Ribbon r;
    r.setWidth(1400);
    KZPopupButtonAdv* button = r.panel->selectionListButton();
    ASSERT_NE(button, nullptr);
    KZTexturalButton* actionPart = button->actionButton();
    KZMenu* menu = r.panel->selectionMenu();
    ASSERT_EQ(button->container(), menu);

    // The menu holds the two selection tools the editing commands work on,
    // each with its own icon, by tag.
    const struct {
        QString label;
        QString icon;
    } tools[] = {{"rectangle selection", "sel_rectangle"}, {"free selection", "sel_free"}};
    QList<KZMenuItem*> items;
    for (QAction* action : menu->actions())
        if (auto* item = qobject_cast<KZMenuItem*>(action))
            items << item;
    ASSERT_EQ(items.size(), 2);
    for (int tag = 0; tag < 2; ++tag) {
        EXPECT_EQ(items[tag]->text(), tools[tag].label);
        EXPECT_EQ(items[tag]->tag(), tag);
        const QImage icon = KZRibbonIcons::image(tools[tag].icon);
        ASSERT_FALSE(icon.isNull()) << tools[tag].icon.toStdString();
        EXPECT_EQ(items[tag]->image(), icon);
    }

    // Beside it only Crop; the pixel-grid selections are not in the group.
    QStringList titles;
    for (KZTexturalButton* b : r.panel->selectionPanelItem()->normalView()->findChildren<KZTexturalButton*>())
        titles << b->title();
    for (SWMatrix* m : r.panel->selectionPanelItem()->normalView()->findChildren<SWMatrix*>())
        for (platform::ButtonCell* cell : m->cells())
            titles << cell->title();
    titles.removeAll(QStringLiteral("\u25BE"));
    EXPECT_EQ(titles, QStringList({"rectangle selection", "Crop"}));

    // At first the button shows the rectangle selection, off.
    EXPECT_EQ(button->image(), items[0]->image());
    EXPECT_EQ(button->state(), 0);

    // The drop part's menu chooses the free selection: the button shows it,
    // is on, and the tool is current.
    button->raisePanel(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(items[1]).center());
    EXPECT_EQ(r.controller.currentTool(), "free selection");
    EXPECT_EQ(button->image(), items[1]->image());
    EXPECT_EQ(actionPart->title(), "free selection") << "its accessible name follows the choice";
    EXPECT_EQ(button->state(), 1);
    EXPECT_TRUE(actionPart->isChecked());
    EXPECT_TRUE(items[1]->isChecked());
    EXPECT_FALSE(items[0]->isChecked());

    // Another tool: the button goes off and keeps showing its tool; its
    // action part chooses that tool again.
    r.controller.chooseToolWithLabel("Brush");
    EXPECT_EQ(button->state(), 0);
    EXPECT_FALSE(actionPart->isChecked());
    QTest::mouseClick(actionPart, Qt::LeftButton, {}, actionPart->rect().center());
    EXPECT_EQ(r.controller.currentTool(), "free selection");
    EXPECT_EQ(button->state(), 1);

    // The commands' switch to the rectangle selection shows on the button.
    r.controller.switchToScissors();
    EXPECT_EQ(r.controller.currentTool(), "rectangle selection");
    EXPECT_EQ(button->image(), items[0]->image());
    EXPECT_EQ(actionPart->title(), "rectangle selection");
    EXPECT_EQ(button->state(), 1);
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());
}

TEST(KZToolboxPanel, EachCellOfAMatrixIsAnAccessibleChildWithItsOwnNameAndExtents)
{
    Ribbon r;
    r.setWidth(1400);
    SWMatrix* shapes = r.panel->shapeMatrix();
    QAccessibleInterface* matrix = QAccessible::queryAccessibleInterface(shapes);
    ASSERT_NE(matrix, nullptr);
    ASSERT_EQ(matrix->childCount(), shapes->numberOfRows() * shapes->numberOfColumns());
    QStringList names;
    for (int i = 0; i < matrix->childCount(); ++i) {
        QAccessibleInterface* cell = matrix->child(i);
        names << cell->text(QAccessible::Name);
        EXPECT_EQ(cell->role(), QAccessible::Button);
        EXPECT_FALSE(cell->text(QAccessible::Description).isEmpty());
    }
    EXPECT_TRUE(names.contains("heart"));
    EXPECT_TRUE(names.contains("Line"));
    const int heart = int(names.indexOf("heart"));
    QAccessibleInterface* cell = matrix->child(heart);
    const QRect local = cellRect(shapes, "heart");
    EXPECT_EQ(cell->rect(), QRect(shapes->mapToGlobal(local.topLeft()), local.size()));
    EXPECT_FALSE(cell->state().checked);
    r.controller.chooseToolWithLabel("heart");
    EXPECT_TRUE(cell->state().checked);
    EXPECT_EQ(matrix->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
}

TEST(KZToolboxPanel, AColourGroupSwatchPaintsWithItsColourAndTheToolPanelClosesPopUpsOnChoices)
{
    Ribbon r;
    r.setWidth(700);
    KZColorMatrix* swatches = r.panel->colorPanel()->systemColorsMatrix();
    ASSERT_NE(swatches, nullptr);
    QRect red;
    for (int row = 0; row < swatches->numberOfRows(); ++row)
        for (int column = 0; column < swatches->numberOfColumns(); ++column)
            if (swatches->accessibleNameForCell(row, column) == "Maraschino")
                red = swatches->cellFrame(row, column).toAlignedRect();
    ASSERT_TRUE(red.isValid());
    QTest::mouseClick(swatches, Qt::LeftButton, {}, red.center());
    QApplication::processEvents();
    EXPECT_TRUE(settles([&] { return r.controller.foregroundColor() == QColor(255, 0, 0); }));

    // The shapes group is a drop-down now: it raises its controls, and a
    // choice there closes the pop-up.
    KZShapePanelItem* shapes = r.panel->shapesPanelItem();
    ASSERT_EQ(shapes->mode(), "small");
    shapes->raisePanel();
    ASSERT_TRUE(shapes->popupPanel()->isVisible());
    SWMatrix* matrix = r.panel->shapeMatrix();
    QTest::mouseClick(matrix, Qt::LeftButton, {}, cellRect(matrix, "cloud").center());
    EXPECT_EQ(r.controller.currentTool(), "cloud");
    EXPECT_FALSE(shapes->popupPanel()->isVisible());
    // Back in full, the controls come home from the pop-up.
    r.setWidth(1400);
    EXPECT_EQ(shapes->mode(), "normal");
    EXPECT_EQ(matrix->window(), r.host.window.window());
}

TEST(KZToolboxController, LayoutTableKeysGroupsByTitleAndMode)
{
    EXPECT_EQ(KZToolboxController::itemPriority("Shapes", "normal"), 4);
    EXPECT_EQ(KZToolboxController::itemPriority("Paste", "normal"), 5);
    EXPECT_EQ(KZToolboxController::itemPriority("Image", "normal"), 6);
    EXPECT_EQ(KZToolboxController::itemPriority("Brushes", "small"), 10);
    EXPECT_EQ(KZToolboxController::itemPriority("Size", "compact"), 0);
    EXPECT_EQ(KZToolboxController::itemPriority("Scale", "normal"), 0);
}
