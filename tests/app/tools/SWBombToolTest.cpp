#include "RasterToolFixture.h"
#include "SWBombTool.h"

#include "KZToolboxController.h"
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

// The ticks after the first draw only the ring the last disc did not
// cover in full: the picture must be what drawing each whole disc gives.
TEST(SWBombTool, EachTickLeavesWhatTheWholeDiscWouldLeave)
{
    for (const bool antialias : {false, true}) {
        SCOPED_TRACE(antialias);
        RasterToolFixture f({300, 200}, antialias);
        const QColor colour(20, 40, 200, 150);
        f.controller()->setBackgroundColor(colour);
        auto* bomb = dynamic_cast<SWBombTool*>(f.choose("Bomb"));
        // The same explosion on a copy, whose picture is touched before every
        // tick so that each disc is drawn whole.
        auto store = SWImageDataSource::create(QSizeF(300, 200), Qt::white);
        KZToolboxController controller;
        SWBombTool whole(&controller);
        whole.setBackColor(colour);
        for (SWTool* tool : {static_cast<SWTool*>(bomb), static_cast<SWTool*>(&whole)}) {
            tool->setSavedPoint({120.5, 80.25});
            tool->setFlags(Shift);
            tool->performDrawAtPoint({120.5, 80.25}, tool == bomb ? f.store() : store.get(), SWTool::MouseDown,
                                     nullptr);
        }
        for (int tick = 0; bomb->isExploding(); ++tick) {
            if (tick == 40) {
                // The picture changes behind the bomb's back.
                f.document->flipHorizontal();
                SWImageTools::flipImageHorizontal(store->mainImage());
            }
            store->mainImage().scanLine(0);
            bomb->drawNewCircle();
            whole.drawNewCircle();
            ASSERT_TRUE(store->mainImage() == f.mainImage()) << "tick " << tick;
        }
        QImage filled = f.mainImage().copy();
        filled.fill(colour);
        EXPECT_TRUE(filled == f.mainImage());
    }
}

TEST(SWBombTool, TheDiscTakesThePixelsInsideItsCircle)
{
    for (const bool antialias : {false, true}) {
        SCOPED_TRACE(antialias);
        RasterToolFixture f({200, 150}, antialias);
        auto* bomb = dynamic_cast<SWBombTool*>(f.choose("Bomb"));
        f.controller()->setBackgroundColor(Qt::black);
        f.gesture({{90.3, 70.6}});
        for (int tick = 0; tick < 2; ++tick)
            bomb->drawNewCircle(); // radius 50
        const QPointF c(90.3, 70.6);
        for (int y = 0; y < 150; ++y) {
            for (int x = 0; x < 200; ++x) {
                const QColor pixel = pixelAt(f.mainImage(), x, y);
                const double centre = QLineF(c, QPointF(x + 0.5, y + 0.5)).length();
                if (!antialias) {
                    ASSERT_EQ(pixel, centre < 50 ? QColor(Qt::black) : QColor(Qt::white)) << x << "," << y;
                } else if (centre < 50 - 0.75) {
                    ASSERT_EQ(pixel, QColor(Qt::black)) << x << "," << y;
                } else if (centre > 50 + 0.75) {
                    ASSERT_EQ(pixel, QColor(Qt::white)) << x << "," << y;
                } else if (std::fabs(centre - 50) < 0.1) {
                    ASSERT_GT(pixel.red(), 40) << x << "," << y; // about half covered
                    ASSERT_LT(pixel.red(), 215) << x << "," << y;
                }
            }
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
    f.spin(100);
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
    f.spin(50);
    f.document->close();
    EXPECT_FALSE(bomb->timerIsRunning());
    f.document = nullptr;
    f.spin(100);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
