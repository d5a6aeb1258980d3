#include "KZToolboxController.h"

#include <gtest/gtest.h>

#include <map>

namespace {
// Counts the notifications per key path.
struct KeyCounter {
    explicit KeyCounter(KZToolboxController& c)
        : controller(c)
    {
        for (const QString* key :
             {&KZToolboxController::kCurrentTool, &KZToolboxController::kLineWidth,
              &KZToolboxController::kForegroundColor, &KZToolboxController::kBackgroundColor,
              &KZToolboxController::kSelectedColor, &KZToolboxController::kFillStyle,
              &KZToolboxController::kSelectionTransparency})
            controller.addObserver(this, *key, [this, k = *key](const QVariant&) { ++counts[k]; });
    }
    ~KeyCounter() { controller.removeObserver(this); }
    int operator[](const QString& key) const
    {
        const auto it = counts.find(key);
        return it == counts.end() ? 0 : it->second;
    }
    KZToolboxController& controller;
    std::map<QString, int> counts;
};
} // namespace

TEST(KZToolboxController, StartsWithTheDocumentedSettings)
{
    KZToolboxController c;
    EXPECT_EQ(c.currentTool(), "Brush");
    EXPECT_EQ(c.lineWidth(), 2);
    EXPECT_EQ(c.fillStyle(), 16);
    EXPECT_FALSE(c.selectionTransparency());
    EXPECT_EQ(c.foregroundColor(), QColor(Qt::black));
    EXPECT_EQ(c.backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(c.selectedPaintSegment(0), 0);
    EXPECT_EQ(c.selectedPaintSegment(1), -1);
}

TEST(KZToolboxController, PaintRowsChooseByRowAndSegment)
{
    const struct {
        int row, segment;
        const char* label;
    } cases[] = {{0, 0, "Brush"}, {0, 1, "Eraser"}, {0, 2, "Airbrush"},
                 {1, 0, "Fill"},  {1, 1, "KZText"}, {1, 2, "Eyedropper"}};
    for (const auto& c : cases) {
        KZToolboxController controller;
        controller.changePaintTool(c.row, c.segment);
        EXPECT_EQ(controller.currentTool(), c.label);
        EXPECT_EQ(controller.selectedPaintSegment(c.row), c.segment);
        EXPECT_EQ(controller.selectedPaintSegment(1 - c.row), -1) << "the other row is cleared";
    }
    KZToolboxController controller;
    KeyCounter counter(controller);
    controller.changePaintTool(0, -1); // a row without a selected segment
    controller.changePaintTool(2, 0);
    controller.changeShapeTool(QString());
    controller.changeToEggsShape(13);
    controller.changeToEggsShape(39);
    EXPECT_EQ(counter[KZToolboxController::kCurrentTool], 0);
    EXPECT_EQ(controller.currentTool(), "Brush");
    // A shape tag picks the shape tool of its place in the class list.
    controller.changeToEggsShape(20);
    EXPECT_EQ(controller.currentTool(), "rightTriangle");
}

TEST(KZToolboxController, EverySetNotifiesButColoursIgnoreInvalidAndPanelsOnlyChangeOnDifference)
{
    KZToolboxController c;
    KeyCounter counter(c);
    c.setForegroundColor(c.foregroundColor());
    c.setForegroundColor(QColor()); // nil colour: ignored
    c.setLineWidth(c.lineWidth());
    EXPECT_EQ(counter[KZToolboxController::kForegroundColor], 1);
    EXPECT_EQ(counter[KZToolboxController::kLineWidth], 1);
    EXPECT_EQ(c.foregroundColor(), QColor(Qt::black));

    c.changeLineSize(9);
    EXPECT_EQ(c.lineWidth(), 9);
    c.setLineWidthDisplay(4);
    EXPECT_EQ(c.lineWidth(), 4);
}

TEST(KZToolboxController, SelectionToolChosenAgainChangesNothing)
{
    KZToolboxController c;
    c.changeSelectionToolWithTag(1);
    EXPECT_EQ(c.currentTool(), "free selection");
    KeyCounter counter(c);
    c.changeSelectionTool(1);
    EXPECT_EQ(counter[KZToolboxController::kCurrentTool], 0);
    c.switchToScissors();
    EXPECT_EQ(c.currentTool(), "rectangle selection");
    EXPECT_EQ(c.selectedPaintSegment(0), -1);
    c.changeSelectionToolWithTag(5); // outside the list
    EXPECT_EQ(c.currentTool(), "rectangle selection");
}

TEST(KZToolboxController, FillAndStrokeBitsAndColourFlip)
{
    KZToolboxController c;
    c.changeFill(true);
    EXPECT_EQ(c.fillStyle(), 17);
    c.changeStroke(false);
    EXPECT_EQ(c.fillStyle(), 1);
    c.changeFill(false);
    EXPECT_EQ(c.fillStyle(), 0);
    c.changeFillStyle(16);
    EXPECT_EQ(c.fillStyle(), 16);

    c.setForegroundColor(QColor(10, 20, 30));
    c.setBackgroundColor(QColor(200, 100, 50));
    c.flipColors();
    EXPECT_EQ(c.foregroundColor(), QColor(200, 100, 50));
    EXPECT_EQ(c.backgroundColor(), QColor(10, 20, 30));
    c.flipColors();
    EXPECT_EQ(c.foregroundColor(), QColor(10, 20, 30));

    c.changeSelectionTransparency();
    EXPECT_TRUE(c.selectionTransparency());
    c.changeSelectionTransparency();
    EXPECT_FALSE(c.selectionTransparency());
}

TEST(KZToolboxController, UpdateInfoRepublishesAllButLineWidth)
{
    KZToolboxController c;
    KeyCounter counter(c);
    c.updateInfo();
    EXPECT_EQ(counter[KZToolboxController::kForegroundColor], 1);
    EXPECT_EQ(counter[KZToolboxController::kBackgroundColor], 1);
    EXPECT_EQ(counter[KZToolboxController::kFillStyle], 1);
    EXPECT_EQ(counter[KZToolboxController::kSelectionTransparency], 1);
    EXPECT_EQ(counter[KZToolboxController::kCurrentTool], 1);
    EXPECT_EQ(counter[KZToolboxController::kLineWidth], 0);

    // After a choice outside the first row, updateInfo picks no tool.
    c.changeShapeTool("heart");
    c.updateInfo();
    EXPECT_EQ(c.currentTool(), "heart");
    EXPECT_EQ(counter[KZToolboxController::kCurrentTool], 2);
}

TEST(KZToolboxController, ChoosingByLabelGoesThroughTheRibbonActions)
{
    KZToolboxController c;
    c.chooseToolWithLabel("Eyedropper");
    EXPECT_EQ(c.selectedPaintSegment(1), 2);
    c.chooseToolWithLabel("Brushes");
    EXPECT_EQ(c.currentTool(), "Brushes");
    EXPECT_EQ(c.selectedPaintSegment(1), -1);
    c.chooseToolWithLabel("free selection");
    EXPECT_EQ(c.currentTool(), "free selection");
    c.chooseToolWithLabel("Rectangle Selection");
    EXPECT_EQ(c.currentTool(), "Rectangle Selection");
}
