#include "RasterToolFixture.h"
#include "SWBombTool.h"

#include <QPainter>
#include <gtest/gtest.h>

using platform::ModifierFlags::Option;
using platform::ModifierFlags::Shift;

namespace {
bool allOf(const QImage& image, const QColor& colour)
{
    return countPixels(image, colour) == image.width() * image.height();
}
} // namespace

// An 800 x 600 picture has a diagonal of 1000: at 50 a tick the circles run
// from radius 0 to 950 and the 21st tick fills the picture; with Shift, at 2
// a tick, the 501st.
TEST(SWBombTool, FillsTheWholePictureAtTick21OrWithShift501)
{
    for (const auto& [flags, fullAt] : {std::pair<uint64_t, int>{0, 21}, {Shift, 501}}) {
        SCOPED_TRACE(fullAt);
        RasterToolFixture f({800, 600});
        f.controller()->setBackgroundColor(QColor(250, 120, 0));
        auto* bomb = dynamic_cast<SWBombTool*>(f.choose("Bomb"));
        ASSERT_NE(bomb, nullptr);
        f.press({0, 0}, flags); // from a corner: the far corner is a diagonal away
        f.release({0, 0}, flags);
        EXPECT_EQ(bomb->finalRadius(), 1000);
        for (int tick = 1; tick < fullAt; ++tick)
            bomb->drawNewCircle();
        EXPECT_TRUE(bomb->isExploding());
        EXPECT_FALSE(allOf(f.mainImage(), QColor(250, 120, 0)));
        EXPECT_EQ(pixelAt(f.mainImage(), 500, 500), QColor(250, 120, 0));
        bomb->drawNewCircle();
        EXPECT_FALSE(bomb->isExploding());
        EXPECT_FALSE(bomb->timerIsRunning());
        EXPECT_TRUE(allOf(f.mainImage(), QColor(250, 120, 0)));
        f.endEvent();
        EXPECT_EQ(f.undo()->undoCount(), 1);
    }
}

// The ticks after the first draw only the ring the last circle did not
// cover: the picture must be what drawing each whole circle gives.
TEST(SWBombTool, EachTickLeavesWhatTheWholeCircleWouldLeave)
{
    for (const bool antialias : {false, true}) {
        SCOPED_TRACE(antialias);
        RasterToolFixture f({300, 200}, antialias);
        f.controller()->setBackgroundColor(QColor(20, 40, 200, 150));
        auto* bomb = dynamic_cast<SWBombTool*>(f.choose("Bomb"));
        f.press({120.5, 80.25}, Shift);
        QImage expected = f.mainImage().copy();
        for (int tick = 0; tick < 150 && bomb->isExploding(); ++tick) {
            if (tick == 40)
                f.document->flipHorizontal(); // the picture changes behind the bomb's back
            if (tick == 40)
                SWImageTools::flipImageHorizontal(expected);
            const QRectF circle(120.5 - bomb->radius(), 80.25 - bomb->radius(), 2.0 * bomb->radius(),
                                2.0 * bomb->radius());
            bomb->drawNewCircle();
            if (!circle.isEmpty()) {
                QPainter painter(&expected);
                painter.setRenderHint(QPainter::Antialiasing, antialias);
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(20, 40, 200, 150));
                painter.drawEllipse(circle);
            }
            ASSERT_TRUE(expected == f.mainImage()) << "tick " << tick;
        }
        bomb->endExplosion();
    }
}

TEST(SWBombTool, ASecondClickFinishesTheFirstExplosionEachIsOneUndoStep)
{
    RasterToolFixture f;
    const QImage before = f.mainImage().copy();
    f.controller()->setBackgroundColor(Qt::red);
    auto* bomb = dynamic_cast<SWBombTool*>(f.choose("Bomb"));
    f.gesture({{50, 50}});
    bomb->drawNewCircle();
    bomb->drawNewCircle();
    f.gesture({{20, 20}}, Option); // the front colour
    EXPECT_TRUE(bomb->isExploding());
    bomb->endExplosion();
    EXPECT_TRUE(allOf(f.mainImage(), Qt::black));
    f.endEvent();
    EXPECT_EQ(f.undo()->undoCount(), 2);
    f.undo()->undo();
    EXPECT_TRUE(allOf(f.mainImage(), Qt::red));
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));
}

TEST(SWBombTool, TheTimerRunsTheExplosionAndAChangeOfToolCompletesIt)
{
    RasterToolFixture f({200, 150});
    auto* bomb = dynamic_cast<SWBombTool*>(f.choose("Bomb"));
    f.controller()->setBackgroundColor(Qt::red);
    f.gesture({{100, 75}}, Shift);
    RasterToolFixture::spin(100);
    EXPECT_TRUE(bomb->isExploding());
    EXPECT_GT(bomb->radius(), 0);
    f.choose("Brush");
    EXPECT_FALSE(bomb->timerIsRunning());
    EXPECT_TRUE(allOf(f.mainImage(), Qt::red));

    // Undo during an explosion completes it before stepping back.
    f.choose("Bomb");
    f.controller()->setBackgroundColor(Qt::blue);
    f.gesture({{100, 75}}, Shift);
    f.document->undoOperation();
    EXPECT_FALSE(bomb->timerIsRunning());
}

TEST(SWBombTool, ClosingTheWindowMidExplosionIsClean)
{
    RasterToolFixture f({400, 300});
    auto* bomb = dynamic_cast<SWBombTool*>(f.choose("Bomb"));
    f.gesture({{100, 75}}, Shift);
    RasterToolFixture::spin(50);
    f.document->close();
    EXPECT_FALSE(bomb->timerIsRunning());
    f.document = nullptr;
    RasterToolFixture::spin(100);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
