#include "TGSwitch.h"
#include "VTRUITestSupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QKeyEvent>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

class SwitchTest : public ::testing::Test {
protected:
    SwitchTest()
    {
        control.resize(50, 30);
        control.targetAction().setTarget(&receiver);
        control.targetAction().setAction(QStringLiteral("performAction:"));
        control.checkedValue().observe(this, [this](bool, bool) { ++observed; });
    }
    ~SwitchTest() override { control.checkedValue().removeObserver(this); }

    void press(double x) { sendMouse(&control, QEvent::MouseButtonPress, QPointF(x, 15)); }
    void drag(double x) { sendMouse(&control, QEvent::MouseMove, QPointF(x, 15)); }
    void release(double x) { sendMouse(&control, QEvent::MouseButtonRelease, QPointF(x, 15)); }

    TGSwitch control;
    ActionRecorder receiver;
    int observed = 0;
};

TEST_F(SwitchTest, ClickTogglesAndSendsOnce)
{
    press(10);
    EXPECT_TRUE(control.isActive());
    release(10);
    EXPECT_TRUE(control.checked());
    EXPECT_EQ(receiver.count(), 1);
    EXPECT_EQ(receiver.lastSender(), &control);
    EXPECT_EQ(observed, 1);
    EXPECT_TRUE(control.checkedValue().get());
    EXPECT_FALSE(control.isActive());
}

TEST_F(SwitchTest, DragDecidesBySideAndSendsOnlyOnChange)
{
    press(5);
    drag(40);
    EXPECT_TRUE(control.hasDragged());
    EXPECT_TRUE(control.isDraggingTowardsOn());
    EXPECT_TRUE(control.showsOn());
    drag(24.9); // just left of the middle
    EXPECT_FALSE(control.isDraggingTowardsOn());
    release(24.9);
    EXPECT_FALSE(control.checked());
    EXPECT_EQ(receiver.count(), 0);
    EXPECT_EQ(observed, 0);
    EXPECT_FALSE(control.hasDragged());

    press(5);
    drag(25); // the middle counts as on
    release(25);
    EXPECT_TRUE(control.checked());
    EXPECT_EQ(receiver.count(), 1);
}

TEST_F(SwitchTest, KnobWidensWhilePressedAndRestsOnTheStateSide)
{
    const double normal = 48.0 / TGSwitch::kKnobRatio;
    EXPECT_NEAR(control.rectForKnob().x(), 1.0, 1e-9);
    EXPECT_NEAR(control.rectForKnob().width(), normal, 1e-9);
    EXPECT_NEAR(control.rectForKnob().height(), 28.0, 1e-9);
    press(10);
    EXPECT_NEAR(control.rectForKnob().width(), 48.0 / 1.38, 1e-9);
    release(10);
    EXPECT_NEAR(control.rectForKnob().right(), 49.0, 1e-9); // 1 point inside when on
    control.removeAllAnimations();
    EXPECT_EQ(control.presentedKnobRect(), control.rectForKnob());
}

TEST_F(SwitchTest, SettingTheSameValueReloadsButTellsNobody)
{
    control.removeAllAnimations();
    control.setChecked(false);
    EXPECT_EQ(observed, 0);
    EXPECT_TRUE(control.isAnimating());
    control.setCheckedOnlyNeeded(true);
    EXPECT_EQ(observed, 1);
    EXPECT_EQ(receiver.count(), 0); // only the user's changes send
}

TEST_F(SwitchTest, DisabledIgnoresTheMouseAndDrawsAtHalfOpacity)
{
    control.setChecked(true);
    control.setEnabled(false);
    control.removeAllAnimations();
    press(10);
    release(10);
    EXPECT_TRUE(control.checked());
    EXPECT_EQ(receiver.count(), 0);

    QImage image(control.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    control.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QPoint knobCentre = control.rectForKnob().center().toPoint();
    EXPECT_NEAR(qAlpha(image.pixel(knobCentre)), 128, 3);
}

TEST_F(SwitchTest, KeyboardMovesAndSpaceOnlyWithFocus)
{
    control.moveLeft(); // already off
    EXPECT_EQ(receiver.count(), 0);
    control.moveRight();
    EXPECT_TRUE(control.checked());
    EXPECT_EQ(receiver.count(), 1);
    control.moveRight();
    EXPECT_EQ(receiver.count(), 1);

    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_FALSE(control.performKeyEquivalent(&space));
    EXPECT_TRUE(control.checked());

    ASSERT_TRUE(showAndActivate(control));
    control.setFocus();
    pressKey(&control, Qt::Key_Space);
    EXPECT_FALSE(control.checked());
    pressKey(&control, Qt::Key_Right);
    EXPECT_TRUE(control.checked());
    EXPECT_EQ(receiver.count(), 3);
}

TEST_F(SwitchTest, AccessibilitySeesACheckBox)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
    EXPECT_EQ(accessible->childCount(), 0);
    EXPECT_FALSE(accessible->state().checked);

    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(control.checked());
    EXPECT_TRUE(accessible->state().checked);
    EXPECT_EQ(receiver.count(), 1);

    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 1);
    value->setCurrentValue(1); // unchanged: nothing sent
    EXPECT_EQ(receiver.count(), 1);
    value->setCurrentValue(0);
    EXPECT_FALSE(control.checked());
    EXPECT_EQ(receiver.count(), 2);
}

} // namespace
