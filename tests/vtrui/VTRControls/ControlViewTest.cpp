#include "BoxView.h"
#include "ControlView.h"
#include "RoundView.h"
#include "VTRUITestSupport.h"

#include <QLayout>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// Counts presses and releases that the view let through.
class Parent : public QWidget {
public:
    int passed = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++passed; }
};

class ControlViewTest : public ::testing::Test {
protected:
    ControlViewTest()
    {
        view = new ControlView(&parent);
        view->setGeometry(0, 0, 100, 50);
        view->setTarget(&receiver);
        view->setAction(QStringLiteral("performAction:"));
    }

    void click(const QPointF& down, const QPointF& up)
    {
        sendMouse(view, QEvent::MouseButtonPress, down);
        sendMouse(view, QEvent::MouseButtonRelease, up);
    }

    Parent parent;
    ControlView* view = nullptr;
    ActionRecorder receiver;
};

TEST_F(ControlViewTest, MouseUpSendsOnlyInsideTheBounds)
{
    struct Case {
        QPointF up;
        bool sends;
    };
    const Case cases[] = {
        {{50, 25}, true},
        {{0, 0}, true},       // minimum edges are inside
        {{99.9, 49.9}, true},
        {{100, 25}, false},   // the maximum-x edge is outside
        {{50, 50}, false},    // and so is the maximum-y edge
        {{-1, 25}, false},
        {{150, 80}, false},
    };
    for (const Case& c : cases) {
        receiver.clear();
        sendMouse(view, QEvent::MouseButtonPress, QPointF(50, 25));
        EXPECT_TRUE(view->isMousePressed());
        sendMouse(view, QEvent::MouseButtonRelease, c.up);
        EXPECT_FALSE(view->isMousePressed()) << c.up.x() << "," << c.up.y();
        EXPECT_EQ(receiver.count(), c.sends ? 1 : 0) << c.up.x() << "," << c.up.y();
    }
}

TEST_F(ControlViewTest, SendingOnMouseDownSendsOnceThere)
{
    view->setSendActionOnMouseUp(false);
    sendMouse(view, QEvent::MouseButtonPress, QPointF(50, 25));
    EXPECT_EQ(receiver.count(), 1);
    sendMouse(view, QEvent::MouseButtonRelease, QPointF(50, 25));
    EXPECT_EQ(receiver.count(), 1);
}

TEST_F(ControlViewTest, DisabledForMouseEventsPassesClicksOn)
{
    view->setEnabledForMouseEvent(false);
    click(QPointF(50, 25), QPointF(50, 25));
    EXPECT_FALSE(view->isMousePressed());
    EXPECT_EQ(receiver.count(), 0);
    EXPECT_EQ(parent.passed, 1);
}

TEST_F(ControlViewTest, NoActionSendsNothingNoTargetUsesTheChain)
{
    view->setAction(QString());
    click(QPointF(50, 25), QPointF(50, 25));
    EXPECT_EQ(receiver.count(), 0);

    // Without a target the action goes to the first object up the parents
    // that answers it.
    view->setAction(QStringLiteral("performAction:"));
    view->setTarget(nullptr);
    auto* answering = new ActionRecorder(&parent);
    click(QPointF(50, 25), QPointF(50, 25));
    EXPECT_EQ(answering->count(), 0); // a sibling, not up the chain

    // The program can hand the chain to its own router.
    QStringList routed;
    const auto previous = VTRTargetAction::setResponderChainHandler([&routed](const QString& action, QObject*) {
        routed << action;
        return true;
    });
    click(QPointF(50, 25), QPointF(50, 25));
    VTRTargetAction::setResponderChainHandler(previous);
    EXPECT_EQ(routed, QStringList({"performAction:"}));
}

// A parent that answers the action itself.
class AnsweringParent : public QWidget {
    Q_OBJECT
public:
    int count = 0;
    Q_INVOKABLE void performAction(QObject*) { ++count; }
};

TEST(ControlViewChain, ParentAnswersANullTargetAction)
{
    AnsweringParent parent;
    auto* inner = new QWidget(&parent);
    auto* view = new ControlView(inner);
    view->resize(10, 10);
    view->setAction(QStringLiteral("performAction:"));
    sendMouse(view, QEvent::MouseButtonPress, QPointF(5, 5));
    sendMouse(view, QEvent::MouseButtonRelease, QPointF(5, 5));
    EXPECT_EQ(parent.count, 1);
    // A target that does not answer gets it alone: nothing is delivered.
    QObject silent;
    view->setTarget(&silent);
    sendMouse(view, QEvent::MouseButtonPress, QPointF(5, 5));
    sendMouse(view, QEvent::MouseButtonRelease, QPointF(5, 5));
    EXPECT_EQ(parent.count, 1);
}

TEST(BoxViewTest, PinnedViewsCoverTheWholeBox)
{
    BoxView box;
    box.resize(100, 50);
    auto* first = new QWidget;
    auto* second = new QWidget;
    box.addFullCoveredView(first);
    box.addFullCoveredView(second);
    box.show();
    box.layout()->activate();
    EXPECT_EQ(first->geometry(), QRect(0, 0, 100, 50));
    EXPECT_EQ(second->geometry(), QRect(0, 0, 100, 50));
    box.resize(120, 60);
    box.layout()->activate();
    EXPECT_EQ(second->geometry(), QRect(0, 0, 120, 60));
    EXPECT_EQ(first->parentWidget(), &box);
}

TEST(RoundViewTest, DrawsTranslucentBlackWithRoundCorners)
{
    RoundView view;
    view.resize(40, 30);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_NEAR(qAlpha(image.pixel(20, 15)), 204, 1); // black at 0.8
    EXPECT_EQ(qRed(image.pixel(20, 15)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0); // outside the rounded corner
}

} // namespace

#include "ControlViewTest.moc"
