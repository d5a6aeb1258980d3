#include "MenuExtensions.h"
#include "PopUpButtonExtensions.h"
#include "SegmentedControlExtensions.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// Items: "Small" tag 1 "s", "Medium" tag 2 the number 2, "Large" tag 3 "l",
// "Large copy" tag 4 "l".
class PopUpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        add(QStringLiteral("Small"), 1, QStringLiteral("s"));
        add(QStringLiteral("Medium"), 2, 2);
        add(QStringLiteral("Large"), 3, QStringLiteral("l"));
        add(QStringLiteral("Large copy"), 4, QStringLiteral("l"));
        add(QStringLiteral("Numbered"), 5, QStringLiteral("2"));
    }
    void add(const QString& title, int tag, const QVariant& object)
    {
        popUp.addItem(title, object);
        popUp.setItemData(popUp.count() - 1, tag, vtr::TagRole);
    }

    QComboBox popUp;
};

TEST_F(PopUpTest, SelectionByTag)
{
    popUp.setCurrentIndex(2);
    int changes = 0;
    QObject::connect(&popUp, &QComboBox::currentIndexChanged, [&] { ++changes; });
    EXPECT_TRUE(vtr::selectItemOnlyNeededWithTag(&popUp, 3));
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(vtr::selectItemOnlyNeededWithTag(&popUp, 1));
    EXPECT_EQ(popUp.currentIndex(), 0);
    EXPECT_FALSE(vtr::selectItemOnlyNeededWithTag(&popUp, 99));
    EXPECT_EQ(vtr::selectedTag(&popUp), -1);
}

TEST_F(PopUpTest, SelectionByRepresentedString)
{
    EXPECT_TRUE(vtr::selectItemOnlyNeededWithRepresentedObjectString(&popUp, QStringLiteral("l")));
    EXPECT_EQ(popUp.currentIndex(), 2); // the first of two
    // The number 2 is never matched; the text "2" is.
    EXPECT_TRUE(vtr::selectItemOnlyNeededWithRepresentedObjectString(&popUp, QStringLiteral("2")));
    EXPECT_EQ(popUp.currentIndex(), 4);
    int changes = 0;
    QObject::connect(&popUp, &QComboBox::currentIndexChanged, [&] { ++changes; });
    EXPECT_TRUE(vtr::selectItemOnlyNeededWithRepresentedObjectString(&popUp, QStringLiteral("2")));
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(vtr::selectItemOnlyNeededWithRepresentedObjectString(&popUp, QStringLiteral("xl")));
    EXPECT_EQ(popUp.currentIndex(), 4);
}

TEST_F(PopUpTest, SelectionByTitleAndIndex)
{
    vtr::deselectAllItems(&popUp);
    EXPECT_EQ(popUp.currentIndex(), -1);
    vtr::selectItemOnlyNeededWithTitle(&popUp, QStringLiteral("Medium"));
    EXPECT_EQ(popUp.currentIndex(), 1);
    int changes = 0;
    QObject::connect(&popUp, &QComboBox::currentIndexChanged, [&] { ++changes; });
    vtr::selectItemOnlyNeededWithTitle(&popUp, QStringLiteral("Medium"));
    vtr::selectItemOnlyNeededAt(&popUp, 1);
    EXPECT_EQ(changes, 0);
    vtr::selectItemOnlyNeededAt(&popUp, 3);
    EXPECT_EQ(popUp.currentIndex(), 3);
    vtr::selectItemOnlyNeededWithTitle(&popUp, QStringLiteral("Huge"));
    EXPECT_EQ(popUp.currentIndex(), -1);
}

TEST(MenuExtensions, AddedItemCarriesItsString)
{
    QMenu menu;
    QAction* item = vtr::addItemWithTitle(&menu, QStringLiteral("Open Recent"), QStringLiteral("recent"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(menu.actions().value(0), item);
    EXPECT_EQ(item->text(), "Open Recent");
    EXPECT_EQ(item->data().toString(), "recent");
    EXPECT_TRUE(item->shortcut().isEmpty());
    EXPECT_EQ(vtr::addItemWithTitle(nullptr, QStringLiteral("x"), QString()), nullptr);
}

TEST(SegmentedControlExtensions, SegmentsByPosition)
{
    QButtonGroup group;
    group.setExclusive(false);
    QPushButton a;
    QPushButton b;
    a.setCheckable(true);
    b.setCheckable(true);
    group.addButton(&a, 10);
    group.addButton(&b, 20);
    int toggles = 0;
    QObject::connect(&b, &QPushButton::toggled, [&] { ++toggles; });
    vtr::setSelectedOnlyNeeded(&group, true, 1);
    vtr::setSelectedOnlyNeeded(&group, true, 1);
    EXPECT_TRUE(b.isChecked());
    EXPECT_EQ(toggles, 1);
    vtr::setEnabledOnlyNeeded(&group, false, 0);
    EXPECT_FALSE(a.isEnabled());
    vtr::setSelectedOnlyNeeded(&group, true, 5); // no such segment
    vtr::setEnabledOnlyNeeded(nullptr, true, 0);
    EXPECT_FALSE(a.isChecked());
}

} // namespace
