#include "FakeClock.h"
#include "NPAdViewController.h"
#include "NPAdWindowController.h"
#include "VTRUITestSupport.h"
#include "ViewExtensions.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class AdWindowTest : public ::testing::Test {
protected:
    AdWindowTest() : controller(NPAdWindowController::loadFromStoryboard(clock)) {}

    QLabel* countDown() const
    {
        return qobject_cast<QLabel*>(vtr::viewWithTag(controller->window(), NPAdWindowController::kCountDownFieldTag));
    }
    NPAdViewController* content() const
    {
        return qobject_cast<NPAdViewController*>(controller->contentViewController());
    }
    QPushButton* button(const QString& title) const
    {
        for (QPushButton* b : controller->window()->findChildren<QPushButton*>()) {
            if (b->text() == title)
                return b;
        }
        return nullptr;
    }

    // Runs once the modal loop is up: records the countdown, then moves the
    // clock one second at a time while the window stays open.
    void tickWhileOpen(int maxTicks, std::function<void(int tick)> atTick = {})
    {
        QTimer::singleShot(0, [this, maxTicks, atTick] {
            seen << countDown()->text();
            for (int tick = 1; tick <= maxTicks && controller->window()->isVisible(); ++tick) {
                clock.advance(1.0);
                seen << countDown()->text();
                if (atTick)
                    atTick(tick);
            }
            closedAt = clock.now();
            if (controller->window()->isVisible())
                controller->didClickSkipButton(); // never leave the loop hanging
        });
    }

    FakeClock clock;
    std::unique_ptr<NPAdWindowController> controller;
    QStringList seen;
    double closedAt = 0.0;
};

TEST_F(AdWindowTest, CountdownShowsEachSecondAndStopsAtZero)
{
    const double start = clock.now();
    tickWhileOpen(10);
    EXPECT_EQ(controller->showAd(3), NPAdWindowController::kResponseStop);
    EXPECT_EQ(seen, QStringList({"3", "2", "1", "0"}));
    EXPECT_DOUBLE_EQ(closedAt - start, 3.0);
    EXPECT_FALSE(controller->window()->isVisible());
    EXPECT_FALSE(controller->isTimerRunning());
}

TEST_F(AdWindowTest, StartAtZeroOrBelowEndsAtTheFirstTick)
{
    for (int start : {0, -2, -7}) {
        seen.clear();
        tickWhileOpen(3);
        EXPECT_EQ(controller->showAd(start), NPAdWindowController::kResponseStop) << start;
        EXPECT_EQ(seen.size(), 2) << start; // the start and one tick
        EXPECT_EQ(seen.last(), QString::number(start - 1));
    }
}

TEST_F(AdWindowTest, ButtonsEndTheShowingWithTheirCodes)
{
    tickWhileOpen(1, [this](int) { button("Skip")->click(); });
    EXPECT_EQ(controller->showAd(5), NPAdWindowController::kResponseCancel);
    EXPECT_FALSE(controller->isTimerRunning());
    const QString last = countDown()->text();
    clock.advance(5.0); // no tick after the skip
    EXPECT_EQ(countDown()->text(), last);
    EXPECT_EQ(last, "4");

    seen.clear();
    tickWhileOpen(1, [this](int) { button("Buy")->click(); });
    EXPECT_EQ(controller->showAd(5), NPAdWindowController::kResponseOK);
}

TEST_F(AdWindowTest, IconAndMessageGoIntoTheViews)
{
    tickWhileOpen(1, [this](int) { controller->didClickSkipButton(); });
    controller->showAd(3);
    EXPECT_EQ(content()->textField()->text(), "No Message");
    EXPECT_TRUE(content()->imageView()->pixmap().isNull());

    QImage pixels(8, 8, QImage::Format_ARGB32);
    pixels.fill(Qt::red);
    controller->setIcon(VTRImage(pixels));
    controller->setMessage(QStringLiteral("Try the full version"));
    tickWhileOpen(1, [this](int) { controller->didClickSkipButton(); });
    controller->showAd(3);
    EXPECT_EQ(content()->textField()->text(), "Try the full version");
    EXPECT_FALSE(content()->imageView()->pixmap().isNull());
}

TEST_F(AdWindowTest, RandomCountdownPicksItsStartOrShowsNothing)
{
    controller->setMessage(QStringLiteral("m"));
    controller->setRandomSource([] { return 12u; }); // 12 mod 10 = 2: nothing shown
    EXPECT_EQ(controller->showAd(-1), NPAdWindowController::kResponseCancel);
    EXPECT_FALSE(controller->isTimerRunning());
    EXPECT_EQ(content()->textField()->text(), "m"); // set before the draw

    controller->setRandomSource([] { return 4000000007u; }); // mod 10 = 7: from 8
    tickWhileOpen(20);
    EXPECT_EQ(controller->showAd(-1), NPAdWindowController::kResponseStop);
    EXPECT_EQ(seen.first(), "8");
    EXPECT_EQ(seen.size(), 9);
}

TEST_F(AdWindowTest, ShowsAtMostOnceIn120Seconds)
{
    tickWhileOpen(1, [this](int) { controller->didClickSkipButton(); });
    EXPECT_EQ(controller->showAdIfNeeded(), NPAdWindowController::kResponseCancel);
    EXPECT_EQ(seen.first(), "10");
    // The first showing began one second before the skip.
    clock.advance(118.0); // 119 s after it began
    seen.clear();
    EXPECT_EQ(controller->showAdIfNeeded(), NPAdWindowController::kResponseCancel);
    EXPECT_TRUE(seen.isEmpty()); // not shown
    clock.advance(1.0); // exactly 120 s after the first showing began
    tickWhileOpen(1, [this](int) { controller->didClickPurchaseButton(); });
    EXPECT_EQ(controller->showAdIfNeeded(), NPAdWindowController::kResponseOK);
    EXPECT_FALSE(seen.isEmpty());
}

TEST(AdWindowShared, MadeOnceAndReplaceable)
{
    NPAdWindowController* shared = NPAdWindowController::shared();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(NPAdWindowController::shared(), shared);
    ASSERT_NE(shared->window(), nullptr);
    EXPECT_NE(qobject_cast<NPAdViewController*>(shared->contentViewController()), nullptr);
    NPAdWindowController::setShared(nullptr);
    EXPECT_EQ(NPAdWindowController::shared(), nullptr);
}

TEST(AdWindowParts, MissingPartsAbortBeforeTouchingTheViews)
{
    FakeClock clock;
    NPAdWindowController windowless(nullptr, clock);
    EXPECT_EQ(windowless.showAd(3), NPAdWindowController::kResponseAbort);

    auto noContent = std::make_unique<NPAdWindowController>(new QDialog, clock);
    EXPECT_EQ(noContent->showAd(3), NPAdWindowController::kResponseAbort);

    // A content view without the countdown label: the message is left alone.
    auto* window = new QDialog;
    auto* content = new NPAdViewController(window);
    auto* message = new QLabel(QStringLiteral("untouched"), window);
    content->setView(window);
    content->setTextField(message);
    NPAdWindowController withoutLabel(window, clock);
    withoutLabel.setContentViewController(content);
    withoutLabel.setMessage(QStringLiteral("new"));
    EXPECT_EQ(withoutLabel.showAd(3), NPAdWindowController::kResponseAbort);
    EXPECT_EQ(message->text(), "untouched");
}

} // namespace
