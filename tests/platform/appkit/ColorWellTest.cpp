#include "platform/appkit/ColorList.h"
#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/ColorWell.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(ColorList, AnUnnamedListInMemoryTakesReplacesInsertsAndRemovesColours)
{
    platform::ColorList list{QString()};
    EXPECT_EQ(list.name(), QString(""));
    list.setColorForKey(QColor(1, 2, 3), "a");
    list.setColorForKey(QColor(4, 5, 6), "b");
    list.setColorForKey(QColor(7, 8, 9), "a"); // replaced in place
    EXPECT_EQ(list.allKeys(), QStringList({"a", "b"}));
    EXPECT_EQ(*list.colorWithKey("a"), QColor(7, 8, 9));
    list.insertColor(QColor(0, 0, 0, 0), "clear", 0);
    list.insertColor(QColor(9, 9, 9), "b", 99); // moves, clipped to the end
    EXPECT_EQ(list.allKeys(), QStringList({"clear", "a", "b"}));
    list.removeColorWithKey("a");
    list.removeColorWithKey("missing");
    EXPECT_EQ(list.allKeys(), QStringList({"clear", "b"}));
}

TEST(ColorWell, AClickMakesItTheOneActiveWellThatTakesPickedColours)
{
    QWidget window;
    auto* first = new platform::ColorWell(&window);
    auto* second = new platform::ColorWell(&window);
    first->setGeometry(0, 0, 40, 20);
    second->setGeometry(50, 0, 40, 20);
    first->setColor(QColor(10, 20, 30));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    platform::ColorPanel& panel = platform::ColorPanel::shared();

    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_TRUE(first->isActive());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.color(), QColor(10, 20, 30));
    panel.userDidPickColor(QColor(200, 0, 0), true);
    EXPECT_EQ(first->color(), QColor(200, 0, 0));

    // The other well takes over; the first no longer follows the panel.
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_FALSE(first->isActive());
    EXPECT_TRUE(second->isActive());
    panel.userDidPickColor(QColor(0, 0, 200), true);
    EXPECT_EQ(first->color(), QColor(200, 0, 0));
    EXPECT_EQ(second->color(), QColor(0, 0, 200));

    // A second click deactivates; a press released outside does nothing.
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_FALSE(second->isActive());
    QTest::mousePress(first, Qt::LeftButton);
    QTest::mouseRelease(first, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(first->isActive());
    panel.close();
}
