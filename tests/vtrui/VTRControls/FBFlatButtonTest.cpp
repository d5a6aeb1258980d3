#include "FBFlatButton.h"
#include "VTRUITestSupport.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Key = FBFlatButton::ColorKey;

// Records presses that reach it, to see what a click falls through to.
class PressSink : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        event->accept();
    }
};

class FlatButtonTest : public ::testing::Test {
protected:
    FlatButtonTest()
    {
        parent.resize(200, 100);
        button = new FBFlatButton(&parent);
        button->setGeometry(10, 10, 100, 40);
        button->targetAction().setTarget(&receiver);
        button->targetAction().setAction(QStringLiteral("performAction:"));
        parent.show();
    }

    void click(const QPoint& at = QPoint(50, 20))
    {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
    }

    PressSink parent;
    FBFlatButton* button = nullptr;
    ActionRecorder receiver;
};

TEST_F(FlatButtonTest, StartsRedUntilTheFirstColourChange)
{
    EXPECT_EQ(button->modelColor(Key::BackgroundColor), QColor(Qt::red));
    EXPECT_EQ(button->animationCount(), 0);
    button->setBackgroundNormalColor(Qt::blue);
    EXPECT_EQ(button->modelColor(Key::BackgroundColor), QColor(Qt::blue));
}

TEST_F(FlatButtonTest, TheColourAlreadyShownStartsNoAnimation)
{
    button->setBackgroundNormalColor(Qt::blue);
    EXPECT_GT(button->animationCount(), 0);
    button->removeAllAnimations();
    button->setBackgroundNormalColor(Qt::blue);
    EXPECT_EQ(button->animationCount(), 0);
    button->setBackgroundHighlightColor(Qt::green); // not shown while off
    EXPECT_EQ(button->animationCount(), 0);
    button->setState(Qt::Checked);
    EXPECT_EQ(button->animationCount(), 1);
    EXPECT_EQ(button->modelColor(Key::BackgroundColor), QColor(Qt::green));
}

TEST_F(FlatButtonTest, ColoursFollowStateAndEnabling)
{
    button->setBorderNormalColor(Qt::black);
    button->setBorderHighlightColor(Qt::white);
    button->setBackgroundNormalColor(Qt::gray);
    button->setBackgroundHighlightColor(Qt::blue);
    button->setBackgroundDisabledColor(Qt::darkGray);
    button->setTitleNormalColor(Qt::black);
    button->setTitleHighlightColor(Qt::yellow);
    button->setTitleDisabledColor(Qt::lightGray);
    button->setImageNormalColor(Qt::cyan);
    button->setImageHighlightColor(Qt::magenta);

    button->setState(Qt::Checked);
    EXPECT_EQ(button->modelColor(Key::BorderColor), QColor(Qt::white));
    EXPECT_EQ(button->modelColor(Key::BackgroundColor), QColor(Qt::blue));
    EXPECT_EQ(button->modelColor(Key::TitleColor), QColor(Qt::yellow));
    EXPECT_EQ(button->modelColor(Key::ImageColor), QColor(Qt::magenta));

    button->setEnabled(false);
    EXPECT_EQ(button->modelColor(Key::BackgroundColor), QColor(Qt::darkGray));
    EXPECT_EQ(button->modelColor(Key::TitleColor), QColor(Qt::lightGray));
    EXPECT_EQ(button->modelColor(Key::ImageColor), QColor(Qt::magenta)); // no disabled image colour
    EXPECT_EQ(button->modelColor(Key::BorderColor), QColor(Qt::white));
}

TEST_F(FlatButtonTest, DisabledButtonIsNotHitAndIgnoresClicks)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    // Clicks delivered to the window, which finds the widget under them.
    auto clickWindow = [this] { QTest::mouseClick(parent.windowHandle(), Qt::LeftButton, {}, QPoint(60, 30)); };
    button->setEnabled(false);
    EXPECT_EQ(button->hitTest(QPoint(5, 5)), nullptr);
    clickWindow();
    EXPECT_EQ(parent.presses, 1); // the click fell through to what lies below
    EXPECT_EQ(receiver.count(), 0);
    EXPECT_EQ(button->state(), Qt::Unchecked);

    button->setEnabled(true);
    EXPECT_EQ(button->hitTest(QPoint(5, 5)), button);
    clickWindow();
    EXPECT_EQ(parent.presses, 1);
    EXPECT_EQ(receiver.count(), 1);
}

TEST_F(FlatButtonTest, ToggleKeepsItsNewStateMomentarySpringsBack)
{
    click();
    EXPECT_EQ(button->state(), Qt::Checked);
    EXPECT_EQ(receiver.count(), 1);
    EXPECT_EQ(receiver.lastSender(), button);
    click();
    EXPECT_EQ(button->state(), Qt::Unchecked);

    button->setMomentary(true);
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(50, 20));
    EXPECT_EQ(button->state(), Qt::Checked); // on while held
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(50, 20));
    EXPECT_EQ(button->state(), Qt::Unchecked);
    EXPECT_EQ(receiver.count(), 3);

    // A click from the keyboard sends too, and a momentary one ends off.
    button->click();
    EXPECT_EQ(button->state(), Qt::Unchecked);
    EXPECT_EQ(receiver.count(), 4);
    button->setMomentary(false);
    button->click();
    EXPECT_EQ(button->state(), Qt::Checked);
    EXPECT_EQ(receiver.count(), 5);
    // Other mouse buttons do nothing.
    QTest::mouseClick(button, Qt::RightButton, Qt::NoModifier, QPoint(50, 20));
    EXPECT_EQ(button->state(), Qt::Checked);
    EXPECT_EQ(receiver.count(), 5);
}

TEST_F(FlatButtonTest, LeavingWhilePressedCancelsOnlyWhenTracking)
{
    // Made in code: no tracking, so leaving changes nothing and the release
    // outside still sends.
    sendMouse(button, QEvent::MouseButtonPress, QPointF(50, 20));
    sendMouse(button, QEvent::MouseMove, QPointF(150, 20));
    EXPECT_EQ(button->state(), Qt::Checked);
    sendMouse(button, QEvent::MouseButtonRelease, QPointF(150, 20));
    EXPECT_EQ(receiver.count(), 1);

    button->awakeFromNib();
    sendMouse(button, QEvent::MouseButtonPress, QPointF(50, 20));
    EXPECT_EQ(button->state(), Qt::Unchecked);
    sendMouse(button, QEvent::MouseMove, QPointF(100, 20)); // the max-x edge is outside
    EXPECT_EQ(button->state(), Qt::Checked);
    EXPECT_FALSE(button->isMouseDown());
    sendMouse(button, QEvent::MouseMove, QPointF(50, 20)); // back in: the click stays cancelled
    sendMouse(button, QEvent::MouseButtonRelease, QPointF(50, 20));
    EXPECT_EQ(button->state(), Qt::Checked);
    EXPECT_EQ(receiver.count(), 1);
}

TEST_F(FlatButtonTest, ImageAndTitlePlacement)
{
    QImage pixels(16, 16, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::black);
    button->setImage(VTRImage(pixels));
    button->setTitle(QStringLiteral("Go"));
    button->setSpacing(4);

    button->setImagePosition(VTRImagePosition::ImageOnly);
    EXPECT_TRUE(button->showsImage());
    EXPECT_FALSE(button->showsTitle());
    EXPECT_EQ(button->imageFrame(), QRectF(42, 12, 16, 16));

    button->setImagePosition(VTRImagePosition::ImageLeft);
    EXPECT_EQ(button->imageFrame().topLeft(), QPointF(4, 12));
    EXPECT_TRUE(button->showsTitle());
    EXPECT_NEAR(button->titleFrame().right(), 96.0, 1.0);

    button->setImagePosition(VTRImagePosition::ImageAbove);
    EXPECT_EQ(button->imageFrame().topLeft(), QPointF(42, 4));
    EXPECT_NEAR(button->titleFrame().bottom(), 36.0, 1.0);

    button->setImagePosition(VTRImagePosition::NoImage);
    EXPECT_FALSE(button->showsImage());
    EXPECT_NEAR(button->titleFrame().center().x(), 50.0, 1.0);

    button->resize(200, 40); // a new frame lays both out again
    EXPECT_NEAR(button->titleFrame().center().x(), 100.0, 1.0);
}

} // namespace
