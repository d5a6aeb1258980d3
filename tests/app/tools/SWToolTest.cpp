#include "KZToolboxController.h"
#include "SWImageDataSource.h"
#include "support/RecordingTool.h"

#include <gtest/gtest.h>

#include <cfloat>

TEST(SWTool, MirrorsTheControllerSettings)
{
    KZToolboxController c;
    c.setLineWidth(7);
    RecordingTool tool(&c, "t");
    EXPECT_EQ(tool.lineWidth(), 7.0);
    EXPECT_FALSE(tool.frontColor().isValid()) << "colours arrive with the registry's updateInfo";
    c.updateInfo();
    EXPECT_EQ(tool.frontColor(), QColor(Qt::black));
    EXPECT_EQ(tool.backColor(), QColor(Qt::white));
    EXPECT_TRUE(tool.shouldStroke());
    c.setLineWidth(3);
    EXPECT_EQ(tool.lineWidth(), 3.0);
    c.setForegroundColor(QColor(1, 2, 3));
    EXPECT_EQ(tool.frontColor(), QColor(1, 2, 3));
}

TEST(SWTool, FillStyleBitsGiveFillAndStroke)
{
    const struct {
        int style;
        bool fill, stroke;
    } cases[] = {{0, false, false}, {1, true, false}, {16, false, true}, {17, true, true},
                 {3, false, false}, {48, false, false}, {19, false, false}};
    KZToolboxController c;
    RecordingTool tool(&c, "t");
    for (const auto& k : cases) {
        c.setFillStyle(k.style);
        EXPECT_EQ(tool.shouldFill(), k.fill) << k.style;
        EXPECT_EQ(tool.shouldStroke(), k.stroke) << k.style;
    }
}

TEST(SWTool, RedrawRectUnitesWithThePreviousOneWithoutAccumulating)
{
    KZToolboxController c;
    RecordingTool tool(&c, "t");
    EXPECT_EQ(tool.invalidRect(), QRectF(DBL_MAX, DBL_MAX, 0, 0));
    EXPECT_EQ(tool.addRectToRedrawRect(QRectF(10, 10, 5, 5)), QRectF(10, 10, 6, 5));
    EXPECT_EQ(tool.addRectToRedrawRect(QRectF(20, 10, 5, 5)), QRectF(10, 10, 16, 5));
    EXPECT_EQ(tool.addRectToRedrawRect(QRectF(20, 30, 5, 5)), QRectF(20, 10, 6, 25));
    tool.resetRedrawRect();
    EXPECT_EQ(tool.addRectToRedrawRect(QRectF(1, 1, 2, 2)), QRectF(1, 1, 3, 2));
}

TEST(SWTool, SegmentRedrawRectIsGrownByHalfTheLineWidthPlusOne)
{
    KZToolboxController c;
    c.setLineWidth(5);
    RecordingTool tool(&c, "t");
    // Equal points: a 7 x 7 box around the point, then the redraw rule's +1 in width.
    EXPECT_EQ(tool.addRedrawRectFromPoint(QPointF(10, 20), QPointF(10, 20)), QRectF(7, 17, 8, 7));
    tool.resetRedrawRect();
    EXPECT_EQ(tool.addRedrawRectFromPoint(QPointF(30.7, 5), QPointF(10.2, 15.9)),
              QRectF(std::round(10.2 - 3.5), std::round(5 - 3.5), 20 + 7 + 1, 10 + 7));
}

TEST(SWTool, EqualityIsByClassAndOtherKeysScheduleNothing)
{
    KZToolboxController c;
    RecordingTool a(&c, "a");
    RecordingTool b(&c, "b");
    EXPECT_TRUE(a.isEqualToTool(&b));
    EXPECT_FALSE(a.isEqualToTool(nullptr));
    // selectionTransparency is not mirrored by the base.
    EXPECT_FALSE(c.isObserving(&a, KZToolboxController::kSelectionTransparency));
    EXPECT_TRUE(c.isObserving(&a, KZToolboxController::kFillStyle));
}

TEST(SWTool, StopsObservingWhenDestroyed)
{
    KZToolboxController c;
    {
        RecordingTool tool(&c, "t");
        EXPECT_TRUE(c.isObserving(&tool, KZToolboxController::kLineWidth));
    }
    c.setLineWidth(4); // would reach a dead tool
    c.updateInfo();
    SUCCEED();
}

TEST(SWTool, PointsOnTheCanvasAreThoseOfItsPixels)
{
    const auto store = SWImageDataSource::create(QSizeF(40, 30), Qt::white);
    ASSERT_NE(store, nullptr);
    const struct {
        QPointF p;
        bool on;
    } cases[] = {{{0, 0}, true},      {{39.9, 29.9}, true}, {{40, 10}, false}, {{10, 30}, false},
                 {{-0.1, 5}, false},  {{5, -3}, false},     {{20.5, 15.5}, true}};
    for (const auto& c : cases)
        EXPECT_EQ(SWTool::pointLiesOnCanvas(c.p, store.get()), c.on) << c.p.x() << "," << c.p.y();
    EXPECT_FALSE(SWTool::pointLiesOnCanvas(QPointF(1, 1), nullptr));
}
