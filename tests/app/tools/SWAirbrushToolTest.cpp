#include "RasterToolFixture.h"
#include "SWAirbrushTool.h"

#include <gtest/gtest.h>

TEST(SWAirbrushTool, WidthOneSpraysOneDotATickWithinTwoPixels)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(1);
    auto* airbrush = dynamic_cast<SWAirbrushTool*>(f.choose("Airbrush"));
    ASSERT_NE(airbrush, nullptr);
    f.press({50, 50});
    std::set<std::pair<int, int>> seen;
    for (int tick = 0; tick < 400; ++tick) {
        airbrush->spray();
        ASSERT_EQ(airbrush->lastDots().size(), 1u);
        const QPoint dot = airbrush->lastDots().front();
        const int dx = dot.x() - 50;
        const int dy = dot.y() - 50;
        ASSERT_TRUE(dx >= -2 && dx <= 1 && dy >= -2 && dy <= 1) << dx << "," << dy;
        ASSERT_LE(dx * dx + dy * dy, 4);
        seen.insert({dx, dy});
    }
    // Every offset of the disc comes up.
    EXPECT_EQ(seen.size(), 11u);
    f.release({50, 50});
}

TEST(SWAirbrushTool, DotsThickenWithTicksAndTheReleaseCommitsOneUndoStep)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(6);
    const QImage before = f.mainImage().copy();
    auto* airbrush = dynamic_cast<SWAirbrushTool*>(f.choose("Airbrush"));
    f.press({100, 70});
    EXPECT_TRUE(airbrush->timerIsRunning());
    // The buffer shows the picture under the spray.
    EXPECT_TRUE(sameImage(f.buffer(), before));
    airbrush->spray();
    EXPECT_EQ(airbrush->lastDots().size(), 18u); // ceil(6 * 6 / 2)
    const int afterOne = countPixels(f.buffer(), Qt::black);
    for (int i = 0; i < 30; ++i)
        airbrush->spray();
    EXPECT_GT(countPixels(f.buffer(), Qt::black), afterOne);
    for (const QPoint dot : airbrush->lastDots())
        EXPECT_LE(QLineF(QPointF(dot), QPointF(100, 70)).length(), 12.0);
    EXPECT_TRUE(sameImage(f.mainImage(), before));
    const QImage sprayed = f.buffer().copy();
    f.release({100, 70});
    f.endEvent();
    EXPECT_FALSE(airbrush->timerIsRunning());
    EXPECT_TRUE(sameImage(f.mainImage(), sprayed));
    EXPECT_EQ(f.undo()->undoCount(), 1);
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));
}

TEST(SWAirbrushTool, TheTimerSpraysOnTheMainLoopAndStopsWithTheWork)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(4);
    auto* airbrush = dynamic_cast<SWAirbrushTool*>(f.choose("Airbrush"));
    f.press({100, 70});
    f.spin(150);
    EXPECT_GT(countPixels(f.buffer(), Qt::black), 0);
    // A change of tool ends the spray and commits it.
    f.choose("Brush");
    EXPECT_FALSE(airbrush->timerIsRunning());
    EXPECT_FALSE(airbrush->isSpraying());
    EXPECT_GT(countPixels(f.mainImage(), Qt::black), 0);

    // A release without a spray in progress must not copy the empty
    // preview over the picture.
    f.choose("Airbrush");
    const QImage before = f.mainImage().copy();
    f.release({10, 10});
    EXPECT_TRUE(sameImage(f.mainImage(), before));

    // The document clears the buffer while spraying: the picture comes back
    // under the spray rather than being wiped at the release.
    f.press({100, 70});
    f.document->refreshDisplay();
    airbrush->spray();
    f.release({100, 70});
    EXPECT_EQ(pixelAt(f.mainImage(), 5, 5), QColor(Qt::white));
}

TEST(SWAirbrushTool, ClosingTheWindowWhileSprayingIsClean)
{
    RasterToolFixture f;
    auto* airbrush = dynamic_cast<SWAirbrushTool*>(f.choose("Airbrush"));
    f.press({100, 70});
    f.spin(50);
    // The window goes at once, the document on the next pass of the loop:
    // the spray must not tick in between, nor after.
    f.document->close();
    EXPECT_FALSE(airbrush->timerIsRunning());
    f.document = nullptr;
    f.spin(100);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
