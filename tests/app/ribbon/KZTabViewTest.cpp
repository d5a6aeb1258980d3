#include "KZTabView.h"
#include "KZTexturalSegmentedControl.h"
#include "KZTexturalView.h"

#include "../controls/GoldenImage.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {
QWidget* pageWith(const QString& text)
{
    auto* page = new QWidget;
    auto* label = new QLabel(text, page);
    label->setGeometry(5, 5, 60, 20);
    return page;
}
} // namespace

TEST(KZTabView, ThreeTabsMakeA180PointSelectorAndAddingATabSelectsTheFirst)
{
    auto* tabs = new KZTabView("tab_label_view", "seg", "tab_tabview");
    ControlHost host(tabs, QRect(0, 0, 300, 150), QSize(300, 150));
    tabs->addTabViewItem("Basic", pageWith("one"));
    tabs->addTabViewItem("Ink", pageWith("two"));
    tabs->addTabViewItem("Pencil", pageWith("three"));

    KZTexturalSegmentedControl* selector = tabs->labelSegments();
    EXPECT_EQ(selector->geometry(), QRect(12, 0, 180, 27));
    EXPECT_EQ(selector->segmentCount(), 3);
    EXPECT_EQ(selector->labelForSegment(2), "Pencil");
    EXPECT_EQ(selector->widthForSegment(1), 60);
    EXPECT_EQ(tabs->labelView()->geometry(), QRect(0, 0, 300, 27));
    EXPECT_EQ(tabs->contentRect(), QRect(0, 27, 300, 123));
    EXPECT_EQ(selector->identifier(), QString("%1_seg").arg(tabs->hash()));

    // Each page sits on a skinned background that holds its contents.
    auto* page = qobject_cast<KZTexturalView*>(tabs->tabViewItem(1).view.data());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->identifier(), QString("%1_1_tab_tabview").arg(tabs->hash()));
    EXPECT_EQ(page->findChild<QLabel*>()->text(), "two");
    EXPECT_EQ(page->geometry(), tabs->contentRect());

    // A click on a segment shows its page.
    QTest::mouseClick(selector, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(tabs->indexOfSelectedTabViewItem(), 1);
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(tabs->tabViewItem(0).view->isVisible());

    tabs->addTabViewItem("Airbrush", pageWith("four"));
    EXPECT_EQ(tabs->indexOfSelectedTabViewItem(), 0);
    EXPECT_EQ(selector->selectedSegment(), 0);
    EXPECT_EQ(selector->width(), 240);
    EXPECT_EQ(tabs->tabViewItem(1).view->findChild<QLabel*>()->text(), "two");
}

TEST(KZTabView, NoTabsLeaveAnEmptySelectorWithNothingSelected)
{
    KZTabView tabs;
    tabs.resize(200, 100);
    EXPECT_EQ(tabs.labelSegments()->segmentCount(), 0);
    EXPECT_EQ(tabs.labelSegments()->width(), 0);
    EXPECT_EQ(tabs.labelSegments()->selectedSegment(), -1);
    EXPECT_EQ(tabs.labelViewIdentifier(), "tab_label_view");
    EXPECT_EQ(tabs.segmentIdentifier(), "tab_seg");
}

TEST(KZTabView, PictureWithTheSecondTabChosenAndTheFirstHovered)
{
    auto* tabs = new KZTabView("tab_label_view", "seg", "tab_tabview");
    ControlHost host(tabs, QRect(10, 10, 240, 80), QSize(260, 100));
    for (const char* label : {"Basic", "Ink", "Pencil"})
        tabs->addTabViewItem(label, new QWidget);
    QTest::mouseClick(tabs->labelSegments(), Qt::LeftButton, {}, QPoint(90, 12));
    QTest::mouseMove(tabs->labelSegments(), QPoint(30, 12));
    expectMatchesGolden("tabview_second_chosen_first_hovered", controlPicture(host, tabs));
}
