#include "ManualClock.h"
#include "PHProgressHUD.h"
#include "PHProgressHUDDelegate.h"
#include "PHRoundProgressView.h"

#include "platform/appkit/ProgressSpinner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPointer>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace {
class CountingHUDDelegate : public PHProgressHUDDelegate {
public:
    void hudWasHidden(PHProgressHUD*) override { ++hidden; }
    int hidden = 0;
};

class ProgressHUD : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(400, 300);
        view.show();
    }
    PHProgressHUD* makeHUD()
    {
        auto* hud = new PHProgressHUD(&view);
        hud->setClock(&clock);
        hud->setDelegate(&delegate);
        return hud;
    }
    QWidget view;
    ManualClock clock;
    CountingHUDDelegate delegate;
};

QFont pinnedFont(int pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}
} // namespace

TEST_F(ProgressHUD, TextOnlyBoxIsTheLabelAndTwoMargins)
{
    PHProgressHUD* hud = makeHUD();
    hud->setMode(PHProgressHUD::TextOnly);
    hud->setLabelFont(pinnedFont(16));
    hud->setLabelText(QStringLiteral("Loading configuration"));
    EXPECT_EQ(hud->indicator(), nullptr);
    const QSize label = hud->label()->sizeHint();
    ASSERT_GT(label.width(), 0);
    EXPECT_EQ(hud->boxSize(), QSizeF(label.width() + 40.0, label.height() + 40.0));
    // The label is centred on the HUD.
    EXPECT_EQ(hud->label()->geometry(),
              QRect(int(std::round((400.0f - label.width()) / 2)), int(std::round((300.0f - (label.height() + 40)) / 2) + 20),
                    label.width(), label.height()));

    // An empty details text adds neither height nor spacing; a text adds both.
    const QSizeF before = hud->boxSize();
    hud->setDetailsLabelText(QString());
    EXPECT_EQ(hud->boxSize(), before);
    hud->setDetailsLabelFont(pinnedFont(12));
    hud->setDetailsLabelText(QStringLiteral("2 of 3"));
    EXPECT_EQ(hud->boxSize().height(), before.height() + hud->detailsLabel()->sizeHint().height() + 4.0);

    // Offsets, minimum size and squareness.
    hud->setMinSize(QSizeF(300, 10));
    EXPECT_EQ(hud->boxSize().width(), 300.0);
    hud->setMinSize(QSizeF());
    hud->setSquare(true);
    const double side = std::max(hud->boxSize().width(), hud->boxSize().height());
    EXPECT_EQ(hud->boxSize().width(), side);
    EXPECT_EQ(hud->boxSize().height(), side);
}

TEST_F(ProgressHUD, IndicatorFollowsTheModeAndSpacesItselfFromTheLabel)
{
    PHProgressHUD* hud = makeHUD();
    EXPECT_NE(qobject_cast<PHRoundProgressView*>(hud->indicator()), nullptr); // the default: a wedge
    hud->setLabelText(QStringLiteral("Busy"));
    const QSize label = hud->label()->sizeHint();
    EXPECT_EQ(hud->boxSize().height(), 37 + 4 + label.height() + 40.0);

    hud->setMode(PHProgressHUD::Spinner);
    auto* spinner = qobject_cast<platform::ProgressSpinner*>(hud->indicator());
    ASSERT_NE(spinner, nullptr);
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_EQ(spinner->size(), QSize(20, 20));
    // The spinner takes no progress.
    hud->setProgress(0.5f);
    EXPECT_EQ(hud->indicator(), spinner);

    hud->setMode(PHProgressHUD::Ring);
    auto* ring = qobject_cast<PHRoundProgressView*>(hud->indicator());
    ASSERT_NE(ring, nullptr);
    EXPECT_TRUE(ring->isAnnular());
    hud->setProgress(0.25f);
    EXPECT_EQ(ring->progress(), 0.25f);
    // Back to the wedge: the same view, still a ring.
    hud->setMode(PHProgressHUD::Wedge);
    EXPECT_EQ(hud->indicator(), ring);
    EXPECT_TRUE(ring->isAnnular());

    auto* custom = new QWidget;
    custom->resize(50, 10);
    hud->setCustomView(custom);
    hud->setMode(PHProgressHUD::CustomView);
    EXPECT_EQ(hud->indicator(), custom);
    EXPECT_EQ(hud->boxSize().height(), 10 + 4 + label.height() + 40.0);
}

TEST_F(ProgressHUD, WedgeTurnsAndRingDoesNot)
{
    PHRoundProgressView wedge;
    wedge.setProgress(0.95f);
    wedge.timerFired();
    EXPECT_NEAR(wedge.progress(), 0.0f, 1e-6); // past 1: starts again
    wedge.timerFired();
    EXPECT_NEAR(wedge.progress(), 0.1f, 1e-6);
    PHRoundProgressView ring;
    ring.setAnnular(true);
    ring.setProgress(0.5f);
    ring.timerFired();
    EXPECT_EQ(ring.progress(), 0.5f);
}

TEST_F(ProgressHUD, MinimumShowTimeKeepsItUpForTheRest)
{
    PHProgressHUD* hud = makeHUD();
    hud->setMinShowTime(1.0f);
    hud->show(false);
    EXPECT_EQ(hud->alphaValue(), 1.0);
    clock.advance(0.3);
    hud->hide(false);
    EXPECT_EQ(hud->alphaValue(), 1.0);
    EXPECT_TRUE(hud->hasMinShowTimer());
    clock.advance(0.69);
    EXPECT_EQ(hud->alphaValue(), 1.0);
    EXPECT_EQ(delegate.hidden, 0);
    clock.advance(0.02);
    EXPECT_EQ(hud->alphaValue(), 0.0);
    EXPECT_TRUE(hud->isFinished());
    EXPECT_EQ(delegate.hidden, 1);
}

TEST_F(ProgressHUD, AnimatedHideFinishesAfterItsAnimation)
{
    PHProgressHUD* hud = makeHUD();
    bool completed = false;
    hud->setCompletionBlock([&completed] { completed = true; });
    hud->setAnimationType(PHProgressHUD::ZoomOut);
    hud->show(true);
    EXPECT_EQ(hud->alphaValue(), 1.0);
    EXPECT_TRUE(hud->showStarted().has_value());
    hud->hide(true);
    EXPECT_EQ(hud->alphaValue(), 0.02);
    EXPECT_EQ(hud->scale(), 0.5);
    EXPECT_FALSE(hud->showStarted().has_value());
    clock.advance(0.29);
    EXPECT_EQ(delegate.hidden, 0);
    clock.advance(0.02);
    EXPECT_EQ(delegate.hidden, 1);
    EXPECT_TRUE(completed);
    EXPECT_FALSE(hud->completionBlock());
    EXPECT_EQ(hud->alphaValue(), 0.0);
}

TEST_F(ProgressHUD, HidingANeverShownHUDFinishesAtOnce)
{
    PHProgressHUD* hud = makeHUD();
    hud->setMinShowTime(5.0f);
    hud->hide(true);
    EXPECT_EQ(hud->alphaValue(), 0.0);
    EXPECT_EQ(delegate.hidden, 1);
    EXPECT_EQ(clock.pendingTimers(), 0u);
}

TEST_F(ProgressHUD, GraceTimeShowsOnlyARunningTask)
{
    PHProgressHUD* hud = makeHUD();
    hud->setGraceTime(0.5f);
    hud->show(false);
    clock.advance(1.0);
    EXPECT_EQ(hud->alphaValue(), 0.0); // no task: never shown

    hud->setTaskInProgress(true);
    hud->show(false);
    clock.advance(0.4);
    EXPECT_EQ(hud->alphaValue(), 0.0);
    clock.advance(0.2);
    EXPECT_EQ(hud->alphaValue(), 1.0);
}

TEST_F(ProgressHUD, HideAfterDelay)
{
    PHProgressHUD* hud = makeHUD();
    hud->show(false);
    hud->hide(false, 2.0);
    clock.advance(1.9);
    EXPECT_EQ(hud->alphaValue(), 1.0);
    clock.advance(0.2);
    EXPECT_EQ(hud->alphaValue(), 0.0);
}

TEST_F(ProgressHUD, ViewLevelShowAndHide)
{
    EXPECT_FALSE(PHProgressHUD::hideHUDForView(&view, false));
    EXPECT_EQ(PHProgressHUD::hideAllHUDsForView(&view, false), 0);
    EXPECT_EQ(PHProgressHUD::HUDForView(nullptr), nullptr);

    QPointer<PHProgressHUD> first = PHProgressHUD::showHUDAddedTo(&view, false);
    QPointer<PHProgressHUD> second = PHProgressHUD::showHUDAddedTo(&view, false);
    EXPECT_EQ(first->geometry(), view.rect());
    EXPECT_EQ(PHProgressHUD::allHUDsForView(&view), (QList<PHProgressHUD*>{first, second}));
    EXPECT_EQ(PHProgressHUD::HUDForView(&view), second);
    view.resize(500, 350);
    EXPECT_EQ(second->geometry(), view.rect());

    EXPECT_TRUE(PHProgressHUD::hideHUDForView(&view, false));
    EXPECT_EQ(PHProgressHUD::allHUDsForView(&view), QList<PHProgressHUD*>{first});
    EXPECT_EQ(PHProgressHUD::hideAllHUDsForView(&view, false), 1);
    EXPECT_TRUE(PHProgressHUD::allHUDsForView(&view).isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}

TEST_F(ProgressHUD, TaskOnAPoolHidesTheHUDWhenItEnds)
{
    PHProgressHUD* hud = makeHUD();
    std::atomic<bool> ran{false};
    bool completed = false;
    QThreadPool pool;
    hud->showAnimated(false, [&ran] { ran = true; }, &pool, [&completed] { completed = true; });
    EXPECT_TRUE(hud->taskInProgress());
    EXPECT_EQ(hud->alphaValue(), 1.0);
    QDeadlineTimer deadline(20000);
    while (!completed && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(completed);
    EXPECT_FALSE(hud->taskInProgress());
    EXPECT_EQ(hud->alphaValue(), 0.0);
    EXPECT_EQ(delegate.hidden, 1);
}

TEST_F(ProgressHUD, TaskOnItsOwnThreadSetsTheLabelOnTheMainThread)
{
    PHProgressHUD* hud = makeHUD();
    hud->showWhileExecuting([hud] { hud->setLabelText(QStringLiteral("from the task")); }, false);
    QDeadlineTimer deadline(20000);
    while (delegate.hidden == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(delegate.hidden, 1);
    EXPECT_EQ(hud->label()->text(), QStringLiteral("from the task"));
}

TEST_F(ProgressHUD, PropertiesSetFromATaskThreadWhileTheMainThreadReadsThem)
{
    // The task reports through the properties while the main thread lays
    // out, paints and reads them; run under ThreadSanitizer this shows any
    // unguarded member.
    PHProgressHUD* hud = makeHUD();
    hud->setMode(PHProgressHUD::Ring);
    constexpr int kRounds = 300;
    std::atomic<bool> finished{false};
    hud->showWhileExecuting([hud, &finished] {
        for (int i = 1; i <= kRounds; ++i) {
            hud->setLabelText(QStringLiteral("step %1").arg(i));
            hud->setDetailsLabelText(i % 2 ? QStringLiteral("odd") : QString());
            hud->setLabelFont(pinnedFont(10 + i % 7));
            hud->setProgress(float(i) / kRounds);
            hud->setXOffset(float(i % 5));
            hud->setMargin(10.0f + float(i % 3));
            hud->setMinSize(QSizeF(i % 40, i % 30));
            hud->setColor(QColor(i % 256, 0, 0));
            hud->setOpacity(0.5f);
            hud->setSquare(i % 2 == 0);
        }
        finished = true;
    }, false);
    QDeadlineTimer deadline(60000);
    while (delegate.hidden == 0 && !deadline.hasExpired()) {
        (void)hud->labelText().size();
        (void)hud->boxSize();
        (void)hud->color();
        hud->layoutViews();
        hud->repaint();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_EQ(delegate.hidden, 1);
    EXPECT_TRUE(finished);
    // Everything the task set last has reached the properties and the labels.
    EXPECT_EQ(hud->labelText(), QStringLiteral("step %1").arg(kRounds));
    EXPECT_EQ(hud->label()->text(), QStringLiteral("step %1").arg(kRounds));
    EXPECT_EQ(hud->detailsLabelText(), QString());
    EXPECT_EQ(hud->progress(), 1.0f);
    EXPECT_EQ(hud->minSize(), QSizeF(kRounds % 40, kRounds % 30));
    EXPECT_EQ(hud->color(), QColor(kRounds % 256, 0, 0));
}
