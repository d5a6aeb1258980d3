#include "KZStandInToolPanel.h"
#include "KZToolboxController.h"

#include <QSpinBox>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(KZStandInToolPanel, ChoicesGoThroughTheControllerAndControlsFollowIt)
{
    KZToolboxController controller;
    KZStandInToolPanel panel(&controller, {"Brush", "Eyedropper", "heart", "free selection"});
    ASSERT_NE(panel.buttonForLabel("Brush"), nullptr);
    EXPECT_TRUE(panel.buttonForLabel("Brush")->isChecked());

    panel.buttonForLabel("Eyedropper")->click();
    EXPECT_EQ(controller.currentTool(), "Eyedropper");
    EXPECT_EQ(controller.selectedPaintSegment(1), 2) << "as the ribbon's paint row would";
    panel.buttonForLabel("heart")->click();
    EXPECT_EQ(controller.currentTool(), "heart");
    EXPECT_FALSE(panel.buttonForLabel("Eyedropper")->isChecked());

    controller.switchToScissors(); // a document command
    EXPECT_FALSE(panel.buttonForLabel("heart")->isChecked());
    controller.changeSelectionToolWithTag(1);
    EXPECT_TRUE(panel.buttonForLabel("free selection")->isChecked());

    panel.lineWidthField()->setValue(12);
    EXPECT_EQ(controller.lineWidth(), 12);
    controller.setLineWidth(5);
    EXPECT_EQ(panel.lineWidthField()->value(), 5);
}
