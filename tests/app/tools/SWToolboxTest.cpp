#include "KZToolboxController.h"
#include "SWToolbox.h"
#include "support/RecordingTool.h"

#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

namespace {
struct NotificationCounter {
    NotificationCounter()
    {
        platform::NotificationCenter::defaultCenter().addObserver(
            this, SWToolbox::kCurrentToolDidChangedNotification, nullptr,
            [this](const platform::Notification& n) { senders.push_back(n.sender); });
    }
    ~NotificationCounter() { platform::NotificationCenter::defaultCenter().removeObserver(this); }
    std::vector<const void*> senders;
};

RecordingTool* recording(SWTool* tool)
{
    return dynamic_cast<RecordingTool*>(tool);
}
} // namespace

TEST(SWToolbox, ClassListKeepsItsFixedOrder)
{
    const auto& list = SWToolbox::toolClassList();
    ASSERT_EQ(list.size(), 39u);
    EXPECT_STREQ(list[0].className, "DabBrushTool");
    EXPECT_STREQ(list[1].className, "SWBrushTool");
    EXPECT_STREQ(list[14].className, "SWLineTool");
    EXPECT_STREQ(list[15].className, "SWCurveTool");
    EXPECT_STREQ(list[38].className, "KZroundedRectangleToolE");
}

TEST(SWToolbox, BuildsEveryToolAndStartsWithBrush)
{
    KZToolboxController c;
    NotificationCounter notes;
    SWToolbox box(nullptr, &c,
                  recordingToolClasses({"Brushes", "Brush", "Rectangle Selection", "rectangle selection"}));
    EXPECT_EQ(box.toolCount(), 4u);
    EXPECT_EQ(box.labels(), QStringList({"Brushes", "Brush", "Rectangle Selection", "rectangle selection"}));
    ASSERT_NE(box.currentTool(), nullptr);
    EXPECT_EQ(box.currentTool()->description(), "Brush");
    // Every tool got its colours from the controller's updateInfo.
    for (const QString& label : box.labels())
        EXPECT_EQ(box.toolForLabel(label)->frontColor(), QColor(Qt::black)) << label.toStdString();
    // updateInfo re-selected "Brush" through the controller: one notification.
    EXPECT_EQ(notes.senders.size(), 1u);
    EXPECT_EQ(notes.senders.front(), &box);
}

TEST(SWToolbox, FollowsTheControllerCaseSensitively)
{
    KZToolboxController c;
    SWToolbox box(nullptr, &c,
                  recordingToolClasses({"Brush", "Rectangle Selection", "rectangle selection"}));
    NotificationCounter notes;
    c.setCurrentTool("no such tool");
    EXPECT_EQ(box.currentTool()->description(), "Brush");
    EXPECT_TRUE(notes.senders.empty());

    c.setCurrentTool("rectangle selection");
    EXPECT_EQ(box.currentTool(), box.toolForLabel("rectangle selection"));
    EXPECT_NE(box.currentTool(), box.toolForLabel("Rectangle Selection"));
    EXPECT_EQ(notes.senders.size(), 1u);
}

TEST(SWToolbox, ChoosingTheSameToolAgainTiesUpAndActivatesAgain)
{
    KZToolboxController c;
    SWToolbox box(nullptr, &c, recordingToolClasses({"Brush", "Line"}));
    RecordingTool* line = recording(box.toolForLabel("Line"));
    RecordingTool* brush = recording(box.toolForLabel("Brush"));
    const int brushTieUps = brush->tieUps;
    NotificationCounter notes;
    c.setCurrentTool("Line");
    EXPECT_EQ(brush->tieUps, brushTieUps + 1);
    EXPECT_EQ(line->activations, 1);
    c.setCurrentTool("Line");
    EXPECT_EQ(line->tieUps, 1);
    EXPECT_EQ(line->activations, 2);
    EXPECT_EQ(notes.senders.size(), 2u);
    EXPECT_EQ(line->deactivations + brush->deactivations, 0) << "the registry never deactivates";
    box.tieUpLooseEndsForCurrentTool();
    EXPECT_EQ(line->tieUps, 2);
}

TEST(SWToolbox, WithoutBrushTheFirstToolIsCurrentAndEmptyRegistriesAreHarmless)
{
    KZToolboxController c;
    c.changeShapeTool("heart");
    SWToolbox box(nullptr, &c, recordingToolClasses({"Eraser", "Line"}));
    ASSERT_NE(box.currentTool(), nullptr);
    EXPECT_EQ(box.currentTool()->description(), "Eraser");

    SWToolbox empty(nullptr, &c, {});
    EXPECT_EQ(empty.currentTool(), nullptr);
    empty.tieUpLooseEndsForCurrentTool();
    c.setCurrentTool("Brush");
    EXPECT_EQ(empty.currentTool(), nullptr);

    SWToolbox plain;
    EXPECT_EQ(plain.currentTool(), nullptr);
    EXPECT_EQ(plain.toolForLabel("Brush"), nullptr);
}

TEST(SWToolbox, StopsFollowingTheControllerWhenDestroyed)
{
    KZToolboxController c;
    {
        SWToolbox box(nullptr, &c, recordingToolClasses({"Brush", "Line"}));
    }
    c.setCurrentTool("Line");
    c.setLineWidth(3);
    SUCCEED();
}
