#include "KZTexturalSegmentedControl.h"

#include "ControlTestSupport.h"

#include <QAccessible>
#include <gtest/gtest.h>

namespace {
// Three 34/34/32 segments labelled A, B, C in a window.
struct ThreeSegments {
    KZTexturalSegmentedControl* control = new KZTexturalSegmentedControl("77_tab_seg");
    ActionCounter counter{"changeTab:"};
    std::unique_ptr<ControlHost> host;
    ThreeSegments()
    {
        control->setSegmentCount(3);
        for (int i = 0; i < 3; ++i)
            control->setLabel(QString(QChar('A' + i)), i);
        control->setTarget(&counter);
        control->setAction("changeTab:");
        host = std::make_unique<ControlHost>(control, QRect(10, 10, 100, 27));
        control->setEqualWidthForEachSegment();
    }
    std::uint64_t bits(int segment) const { return control->cell()->texturalSkin(segment)->state(); }
};
} // namespace

TEST(KZTexturalSegmentedControl, EqualWidthsRoundUpAndTheLastTakesTheRest)
{
    const struct {
        int width, count;
        std::vector<double> widths;
    } table[] = {
        {100, 3, {34, 34, 32}},
        {100, 4, {25, 25, 25, 25}},
        {10, 1, {10}},
    };
    for (const auto& row : table) {
        KZTexturalSegmentedControl control("seg");
        control.resize(row.width, 20);
        control.setSegmentCount(row.count);
        control.setEqualWidthForEachSegment();
        for (int i = 0; i < row.count; ++i)
            EXPECT_EQ(control.widthForSegment(i), row.widths[i]) << row.width << "/" << row.count << " #" << i;
    }
    KZTexturalSegmentedControl empty("seg");
    empty.resize(100, 20);
    empty.setEqualWidthForEachSegment(); // no segments: nothing happens
    EXPECT_EQ(empty.segmentCount(), 0);
}

TEST(KZTexturalSegmentedControl, SkinsFollowTheSegmentPositionsAndAreRebuiltWithTheCount)
{
    KZTexturalSegmentedControl control("seg");
    EXPECT_TRUE(control.cell()->texturalSkinArray().empty()); // made with no segments
    control.setSegmentCount(3);
    EXPECT_EQ(KZTexturalSegmentedCell::segmentSkinIdentifier(0, 3, "seg"), "segindex0_seg_left");
    EXPECT_EQ(KZTexturalSegmentedCell::segmentSkinIdentifier(1, 3, "seg"), "segindex1_seg_middle");
    EXPECT_EQ(KZTexturalSegmentedCell::segmentSkinIdentifier(2, 3, "seg"), "segindex2_seg_right");
    EXPECT_EQ(KZTexturalSegmentedCell::segmentSkinIdentifier(0, 1, "seg"), "segindex0_seg_left");
    ASSERT_EQ(control.cell()->texturalSkinArray().size(), 3u);
    EXPECT_EQ(control.cell()->texturalSkin(2)->stateImages().value("n")->stockName(), "seg_right_n");

    control.setSelectedSegment(1);
    control.cell()->addTexturalState(8, 0);
    control.setSegmentCount(2); // a new count resets the bits; the selection look stays
    EXPECT_EQ(control.cell()->texturalStateArray(), QVector<std::uint64_t>({1, 2}));
    EXPECT_EQ(control.cell()->texturalState(5), 1u); // out of range
}

TEST(KZTexturalSegmentedControl, DeselectingTheLastSelectedSegmentLeavesNone)
{
    KZTexturalSegmentedControl control("seg");
    control.setSegmentCount(3);
    control.setSelected(true, 1);
    EXPECT_EQ(control.selectedSegment(), 1);
    EXPECT_EQ(control.cell()->texturalStateArray(), QVector<std::uint64_t>({1, 2, 1}));
    control.setSelected(false, 1);
    EXPECT_EQ(control.selectedSegment(), -1);
    EXPECT_EQ(control.cell()->texturalStateArray(), QVector<std::uint64_t>({1, 1, 1}));

    // Two selected: deselecting one keeps a selection.
    control.setTrackingMode(platform::SegmentedCell::SelectAny);
    control.setSelected(true, 0);
    control.setSelected(true, 2);
    control.setSelected(false, 2);
    EXPECT_EQ(control.selectedSegment(), 0);
    EXPECT_TRUE(control.isSelectedForSegment(0));
}

TEST(KZTexturalSegmentedControl, AClickOnABoundaryGoesLeftAndHoverFollowsTheMouse)
{
    ThreeSegments s;
    KZTexturalSegmentedControl* control = s.control;

    QTest::mouseMove(control, QPoint(50, 10));
    EXPECT_EQ(s.bits(1), 1u | 4u);
    QTest::mouseMove(control, QPoint(80, 10));
    EXPECT_EQ(s.bits(1), 1u);
    EXPECT_EQ(s.bits(2), 1u | 4u);

    // x = 34 is the boundary between the first and the second segment.
    QTest::mouseMove(control, QPoint(34, 10));
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(34, 10));
    EXPECT_EQ(s.bits(0), 1u | 4u | 8u);
    EXPECT_EQ(s.bits(1), 1u);
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(34, 10));
    EXPECT_EQ(control->selectedSegment(), 0);
    EXPECT_EQ(s.counter.count, 1);
    EXPECT_EQ(s.bits(0), 2u | 4u);

    QTest::mouseMove(&s.host->window, QPoint(150, 55));
    EXPECT_EQ(s.bits(0), 2u);
}

TEST(KZTexturalSegmentedControl, ReleasingOutsideSendsNothingAndEndsThePressedLook)
{
    ThreeSegments s;
    s.control->setSelectedSegment(2);
    QTest::mouseMove(s.control, QPoint(50, 10));
    QTest::mousePress(s.control, Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_EQ(s.bits(1), 1u | 4u | 8u);
    QTest::mouseMove(s.control, QPoint(50, 60));
    QTest::mouseRelease(s.control, Qt::LeftButton, {}, QPoint(50, 60));
    EXPECT_EQ(s.counter.count, 0);
    EXPECT_EQ(s.control->selectedSegment(), 2);
    EXPECT_EQ(s.control->cell()->texturalStateArray(), QVector<std::uint64_t>({1, 1, 2}));
}

TEST(KZTexturalSegmentedControl, SegmentsAreAccessibleChildrenWithTheirOwnExtents)
{
    ThreeSegments s;
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(s.control);
    ASSERT_TRUE(control);
    ASSERT_EQ(control->childCount(), 3);
    const QPoint origin = s.control->mapToGlobal(QPoint(0, 0));
    const int lefts[] = {0, 34, 68};
    const int widths[] = {34, 34, 32};
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* segment = control->child(i);
        ASSERT_TRUE(segment);
        EXPECT_EQ(segment->text(QAccessible::Name), QString(QChar('A' + i)));
        EXPECT_EQ(segment->rect(), QRect(origin + QPoint(lefts[i], 0), QSize(widths[i], 27)));
        EXPECT_EQ(segment->parent(), control);
        EXPECT_EQ(control->indexOfChild(segment), i);
    }
    // Pressing a segment through the tree chooses it like a click.
    QAccessibleInterface* third = control->child(2);
    third->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(s.control->selectedSegment(), 2);
    EXPECT_TRUE(third->state().checked);
    EXPECT_EQ(s.counter.count, 1);
}
