#include "KZPopupPanel.h"
#include "KZTexturalButton.h"
#include "KZTexturalView.h"

#include "../controls/ControlTestSupport.h"

#include <gtest/gtest.h>

TEST(KZPopupPanel, HangsBelowTheControlInsideTheVisibleAreaOfItsScreen)
{
    // A second screen to the right of a first 1920-wide one; its visible
    // area is 1920 x 1050. Coordinates are top-left based.
    const QRect second(1920, 0, 1920, 1050);
    const struct {
        const char* what;
        QSize view;
        QRect control;
        QRect expected;
    } table[] = {
        // A control whose bottom-left corner is 500 above the bottom at x
        // 1800: pushed left to end at the right edge, hanging below.
        {"near the right edge", {300, 200}, {1920 + 1800, 520, 80, 30}, {1920 + 1616, 550, 304, 204}},
        {"in the open", {300, 200}, {1920 + 100, 100, 80, 30}, {1920 + 100, 130, 304, 204}},
        // Near the bottom: pushed up over the control.
        {"near the bottom", {300, 200}, {1920 + 100, 1000, 80, 30}, {1920 + 100, 846, 304, 204}},
        // Left of the area: pushed right onto it.
        {"left of the area", {300, 200}, {1900, 100, 80, 30}, {1920, 130, 304, 204}},
        // Taller and wider than the area: the top and right edges win.
        {"too large", {2000, 1100}, {1920 + 100, 100, 80, 30}, {1920 + 1920 - 2004, 0, 2004, 1104}},
    };
    for (const auto& row : table)
        EXPECT_EQ(KZPopupPanel::panelFrame(row.view, row.control, second), row.expected) << row.what;
}

TEST(KZPopupPanel, ShowsTheViewAndClosesOnAClickOutsideOrWhenDismissed)
{
    auto* control = new KZTexturalButton("btn_color_adv", KZTexturalButtonCell::Momentary);
    ControlHost host(control, QRect(10, 10, 60, 24), QSize(300, 200));
    KZPopupPanel panel;
    auto* view = new QWidget;
    view->resize(120, 80);
    auto* inside = new KZTexturalButton("btn_color", KZTexturalButtonCell::Momentary, view);
    inside->setGeometry(0, 0, 40, 20);

    panel.raise(view, control);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.size(), QSize(124, 84));
    EXPECT_EQ(view->parentWidget(), panel.contentView());
    EXPECT_EQ(view->pos(), QPoint(2, 2));
    EXPECT_EQ(panel.geometry().top(), control->mapToGlobal(QPoint(0, 0)).y() + 24);

    // A press anywhere outside the panel closes it.
    QTest::mouseClick(host.window.windowHandle(), Qt::LeftButton, {}, QPoint(250, 150));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.isVisible(); }, 10000));

    panel.raise(view, control);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    inside->cell()->customControlMouseEntered(inside, nullptr, {});
    panel.dismisses(nullptr);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(inside->cell()->texturalState() & 4u, 0u);
}
