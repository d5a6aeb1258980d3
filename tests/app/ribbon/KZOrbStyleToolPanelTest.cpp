// The tool panel fits its groups to the host by priority, shrinking and
// enlarging one mode at a time, and lays them out with separators.
#include "KZOrbStyleToolPanel.h"
#include "KZOrbStyleToolPanelDelegate.h"
#include "KZOrbStyleToolPanelItem.h"
#include "KZShapePanelItem.h"
#include "KZThinButton.h"
#include "KZViewPanelController.h"

#include <QHash>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {
// A group of the given width whose drop-down button is narrower.
std::unique_ptr<KZOrbStyleToolPanelItem> group(const QString& title, int width)
{
    auto item = std::make_unique<KZOrbStyleToolPanelItem>();
    item->setTitle(title);
    auto* controls = new QWidget;
    controls->setGeometry(0, 0, width, 60);
    item->awakeFromNib(controls);
    item->view()->resize(item->view()->width(), 80);
    return item;
}

// Groups keyed by "title.mode" as the ribbon's delegates key them.
struct Delegate : KZOrbStyleToolPanelDelegate {
    QWidget host;
    QList<KZOrbStyleToolPanelItem*> items;
    QHash<QString, qint32> table;
    QList<KZOrbStyleToolPanelItem*> allItems() const override { return items; }
    qint32 itemPriority(KZOrbStyleToolPanelItem* item) const override
    {
        return table.value(item->title() + QLatin1Char('.') + item->mode(), 0);
    }
    QWidget* controlView() const override { return const_cast<QWidget*>(&host); }
};

int separatorsAfter(const QWidget& host, const QWidget* view)
{
    int count = 0;
    for (QWidget* child : host.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != view && child->geometry().left() == view->geometry().right() + 1 && child->width() == 2)
            ++count;
    }
    return count;
}
} // namespace

TEST(KZOrbStyleToolPanelItem, ModesStepThroughTheAvailableListAndRefuseWhatItDoesNotHold)
{
    auto item = group("Paste", 120);
    EXPECT_EQ(item->mode(), "normal");
    EXPECT_EQ(item->size(), 120);
    EXPECT_EQ(item->smallerMode("normal"), "small");
    EXPECT_EQ(item->smallerMode("small"), "");
    EXPECT_EQ(item->smallerMode("median"), "normal") << "a mode not in the list yields the first";
    EXPECT_EQ(item->largerMode("median"), "");
    EXPECT_EQ(item->largerMode("normal"), "");

    EXPECT_TRUE(item->shrink());
    EXPECT_EQ(item->mode(), "small");
    EXPECT_EQ(item->currentView(), item->droplistButton());
    EXPECT_EQ(item->droplistButton()->title(), QStringLiteral("Paste \n\u25BE"));
    EXPECT_LT(item->size(), 120);
    EXPECT_FALSE(item->shrink()) << "small is the last mode";
    EXPECT_FALSE(item->switchToMode("small")) << "already there";
    EXPECT_FALSE(item->switchToMode("median"));
    EXPECT_FALSE(item->switchToMode(QString()));
    EXPECT_TRUE(item->enlarge());
    EXPECT_EQ(item->size(), 120);
    EXPECT_EQ(item->currentView(), item->normalView());

    item->setAvailableModes({"normal"});
    EXPECT_FALSE(item->shrink()) << "a group with only normal never changes";
    EXPECT_EQ(item->mode(), "normal");
}

TEST(KZShapePanelItem, SwitchesToHalfWidthEvenWhenMedianIsNotListed)
{
    KZShapePanelItem item;
    item.setTitle("Shapes");
    auto* controls = new QWidget;
    controls->setGeometry(0, 0, 300, 60);
    item.awakeFromNib(controls);
    EXPECT_EQ(item.normalSize(), QSize(300, 60));
    EXPECT_EQ(item.medianSize(), QSize(150, 60));
    EXPECT_TRUE(item.switchToMode("median"));
    EXPECT_EQ(item.mode(), "median");
    EXPECT_EQ(item.size(), 150);
    EXPECT_TRUE(item.switchToMode("normal"));
    EXPECT_EQ(item.size(), 300);
}

TEST(KZOrbStyleToolPanel, ShrinksByPriorityUntilTheGroupsFitAndEnlargesBackOneStepTooFarNoFurther)
{
    Delegate d;
    auto left = group("Left", 300);
    auto right = group("Right", 300);
    d.items = {left.get(), right.get()};
    // Right shrinks first (priority 2), Left only when p reaches 7.
    d.table = {{"Left.normal", 7}, {"Right.normal", 2}, {"Left.small", 30}, {"Right.small", 20}};
    d.host.resize(500, 80);
    KZOrbStyleToolPanel panel;
    panel.setDelegate(&d);
    panel.sizeToFit();
    EXPECT_EQ(right->mode(), "small");
    EXPECT_EQ(left->mode(), "normal") << "the sum fit after the first step";
    EXPECT_LE(panel.needSize(), 500);
    EXPECT_EQ(panel.lastSize(), 500);

    d.host.resize(200, 80);
    panel.sizeToFit();
    EXPECT_EQ(left->mode(), "small");

    // Room for one group in full but not both: Left (priority 30) comes
    // back first, Right's enlarging (20) overflows and is taken back.
    d.host.resize(300 + right->size() + 10, 80);
    panel.sizeToFit();
    EXPECT_EQ(left->mode(), "normal");
    EXPECT_EQ(right->mode(), "small");

    d.host.resize(1000, 80);
    panel.sizeToFit();
    EXPECT_EQ(left->mode(), "normal");
    EXPECT_EQ(right->mode(), "normal");
    EXPECT_EQ(panel.itemByPriority(99), nullptr);
}

TEST(KZOrbStyleToolPanel, EveryGroupButASmallOneIsFollowedByASeparator)
{
    Delegate d;
    auto first = group("First", 200);
    auto second = group("Second", 200);
    auto third = group("Third", 200);
    d.items = {first.get(), second.get(), third.get()};
    d.table = {{"First.normal", 5}, {"Second.normal", 1}, {"Third.normal", 6},
               {"First.small", 50}, {"Second.small", 51}, {"Third.small", 52}};
    d.host.resize(500, 80);
    KZOrbStyleToolPanel panel;
    panel.setDelegate(&d);
    panel.sizeToFit();
    ASSERT_EQ(second->mode(), "small");
    EXPECT_EQ(first->view()->geometry(), QRect(0, 0, 200, 80));
    EXPECT_EQ(separatorsAfter(d.host, first->view()), 1);
    EXPECT_EQ(second->view()->x(), 202);
    EXPECT_EQ(separatorsAfter(d.host, second->view()), 0);
    EXPECT_EQ(third->view()->x(), 202 + second->size());
    EXPECT_EQ(separatorsAfter(d.host, third->view()), 1) << "the last group too";
    // Laying out again leaves one separator per group, not two.
    panel.rerangeItems();
    EXPECT_EQ(separatorsAfter(d.host, first->view()), 1);
}

TEST(KZOrbStyleToolPanel, WithoutAHostEveryGroupShrinksAsFarAsItCan)
{
    Delegate d;
    auto only = group("Only", 100);
    d.items = {only.get()};
    d.table = {{"Only.normal", 40}};
    struct NoHost : Delegate {
        QWidget* controlView() const override { return nullptr; }
    } noHost;
    noHost.items = d.items;
    noHost.table = d.table;
    KZOrbStyleToolPanel panel;
    panel.setDelegate(&noHost);
    EXPECT_EQ(panel.size(), 0);
    panel.sizeToFit();
    EXPECT_EQ(only->mode(), "small");
}

TEST(KZViewPanelController, ANarrowViewShowsScaleAsADropDownFollowedByShow)
{
    KZViewPanelController controller;
    QWidget* view = controller.view();
    view->resize(1000, 84);
    controller.didChangedFrame();
    EXPECT_EQ(controller.scaleItem()->mode(), "normal");
    view->resize(150, 84);
    controller.didChangedFrame();
    EXPECT_EQ(controller.scaleItem()->mode(), "small");
    EXPECT_EQ(controller.showItem()->mode(), "normal");
    EXPECT_EQ(controller.showItem()->view()->x(), controller.scaleItem()->view()->x() + controller.scaleItem()->size());
    EXPECT_EQ(separatorsAfter(*view, controller.showItem()->view()), 1);
    EXPECT_EQ(KZViewPanelController::itemPriority("Scale", "small"), 5);
    EXPECT_EQ(KZViewPanelController::itemPriority("Colors", "normal"), 0);
    view->resize(1000, 84);
    controller.didChangedFrame();
    EXPECT_EQ(controller.scaleItem()->mode(), "normal");
}
