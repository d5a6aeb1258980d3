#include "RasterToolFixture.h"
#include "SWCurveTool.h"
#include "SWLineTool.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::ModifierFlags::Shift;

namespace {
QPointF lastPoint(const QPainterPath& path)
{
    return path.elementCount() ? QPointF(path.elementAt(path.elementCount() - 1)) : QPointF(NAN, NAN);
}
} // namespace

// Shift snaps by the drag's angle in whole degrees: 23 to 67 diagonal, above
// vertical, below horizontal. A drag of less than a pixel has no direction.
TEST(SWLineTool, ShiftSnapsToAngleBuckets)
{
    struct Case {
        QPointF drag;
        QPointF end; // relative to the press point
    } cases[] = {
        {{100, 58}, {58, 58}},    // 30 degrees: diagonal with the smaller side
        {{-100, 58}, {-58, 58}},  // the signs follow the drag
        {{100, 36}, {100, 0}},    // 20 degrees: horizontal
        {{36, -100}, {0, -100}},  // 70 degrees: vertical
        {{100, 42.4}, {100, 0}},  // 22.97 degrees: horizontal
        {{100, 42.5}, {42, 42}},  // 23.03 degrees: diagonal
        {{0, 30}, {0, 30}},       // no horizontal movement: vertical
        {{0.4, 0.3}, {0, 0}},     // under a pixel: no direction, no NaN
        {{0, 0}, {0, 0}},
    };
    RasterToolFixture f;
    f.controller()->setLineWidth(3);
    f.choose("Line");
    // The mouse gives whole pixels; the rule itself holds for any drag.
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.drag.x() << "," << c.drag.y());
        const QPointF start(100, 80);
        f.tool()->setFlags(Shift);
        const QPointF end = lastPoint(f.tool()->pathFromPoint(start, start + c.drag));
        EXPECT_DOUBLE_EQ(end.x(), start.x() + c.end.x());
        EXPECT_DOUBLE_EQ(end.y(), start.y() + c.end.y());
    }
    // Through the gesture, from the pixels under the pointer.
    f.press({100, 80}, Shift);
    f.dragTo({200.7, 138.9}, Shift);
    EXPECT_EQ(lastPoint(f.tool()->path()), QPointF(158, 138));
    f.release({200.7, 138.9}, Shift);
    f.endEvent();

    // The curve's chord snaps the same way while it is dragged.
    auto* curve = dynamic_cast<SWCurveTool*>(f.choose("Curve"));
    ASSERT_NE(curve, nullptr);
    f.press({100, 80}, Shift);
    f.dragTo({200, 138}, Shift);
    EXPECT_EQ(curve->endPoint(), QPointF(158, 138));
    f.dragTo({200.4, 80.3}, Shift);
    EXPECT_EQ(curve->endPoint(), QPointF(200, 80));
}

TEST(SWLineTool, ThinLinesRunThroughPixelCentresUnlessShifted)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(1);
    f.choose("Line");
    f.press({10, 10});
    f.dragTo({40, 12});
    QPainterPath path = f.tool()->path();
    EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(10, 10));
    EXPECT_EQ(QPointF(path.elementAt(1)), QPointF(40.5, 12.5));
    f.dragTo({40, 12}, Shift);
    path = f.tool()->path();
    EXPECT_EQ(QPointF(path.elementAt(1)), QPointF(40, 10));
    f.release({40, 12}, Shift);
}

TEST(SWLineTool, PreviewThenOneStrokeIntoThePictureAtTheRelease)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(3);
    f.controller()->setBackgroundColor(QColor(0, 0, 255));
    f.choose("Line");
    // The colour is taken at the press: Option later does not change it.
    f.press({20, 50}, platform::ModifierFlags::Option);
    f.dragTo({80, 50});
    EXPECT_EQ(pixelAt(f.buffer(), 50, 50), QColor(0, 0, 255));
    EXPECT_EQ(pixelAt(f.mainImage(), 50, 50), QColor(Qt::white));
    f.dragTo({150, 50});
    EXPECT_EQ(pixelAt(f.buffer(), 50, 50), QColor(0, 0, 255));
    f.dragTo({20, 100});
    EXPECT_EQ(pixelAt(f.buffer(), 120, 50).alpha(), 0); // the earlier preview is gone
    f.release({20, 100});
    f.endEvent();
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_EQ(pixelAt(f.mainImage(), 20, 75), QColor(0, 0, 255));
    EXPECT_EQ(pixelAt(f.mainImage(), 50, 50), QColor(Qt::white));
    EXPECT_EQ(countPixels(f.buffer(), QColor(0, 0, 0, 0)), f.buffer().width() * f.buffer().height());
}
