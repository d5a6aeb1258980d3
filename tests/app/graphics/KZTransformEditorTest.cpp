#include "KZTransformEditor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The frame of the worked examples: centre (100, 100), 40 x 20, unturned,
// hit squares of 16 and drawn handles of 8.
KZTransformEditor frame(double orientation = 0)
{
    KZTransformEditor editor(QPointF(100, 100), QSizeF(40, 20), orientation);
    editor.setHandleActionSize(16);
    editor.setHandleShowSize(8);
    return editor;
}

} // namespace

TEST(KZTransformEditor, HitTestOrder)
{
    struct Case {
        QPointF point;
        bool rotate;
        int64_t code;
    } const cases[] = {
        {{80, 90}, true, 0x300},   // handle 0 itself
        {{120, 110}, true, 0x304}, // handle 4
        {{100, 90}, true, 0x301},  // top middle
        {{100, 100}, true, 0x200}, // inside
        {{70, 80}, true, 0x100},   // the ring outside handle 0
        {{70, 80}, false, -1},     // no rotate zones
        {{100, 76}, true, 0x101},  // above the top middle
        {{135, 100}, true, 0x102}, // corner 2's ring is asked before the right middle's
        {{200, 200}, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << "," << c.point.y());
        KZTransformEditor editor = frame();
        editor.setShouldRotate(c.rotate);
        EXPECT_EQ(editor.contextAt(c.point), c.code);
    }
}

TEST(KZTransformEditor, HandlesTurnWithTheFrameButStayUpright)
{
    KZTransformEditor editor = frame(90);
    // Handle 0 (top-left unturned) lies top-right after a clockwise quarter.
    EXPECT_EQ(editor.contextAt(QPointF(110, 80)), 0x300);
    const QRectF shown = editor.showRectOfHandle(0x300);
    EXPECT_NEAR(shown.width(), 8, 1e-9);
    EXPECT_NEAR(shown.center().x(), 110, 1e-9);
    EXPECT_NEAR(shown.center().y(), 80, 1e-9);
    EXPECT_NEAR(editor.actionRectOfHandle(0x100).width(), 32, 1e-9);
}

TEST(KZTransformEditor, Drags)
{
    struct Case {
        const char* name;
        int64_t code;
        QPointF from, to;
        bool keepRatio, centred;
        QSizeF size;
        QPointF centre;
        double orientation;
    } const cases[] = {
        {"corner 4", 0x304, {120, 110}, {130, 116}, false, false, {50, 26}, {105, 103}, 0},
        {"corner 4 centred", 0x304, {120, 110}, {130, 116}, false, true, {60, 32}, {100, 100}, 0},
        {"corner 4 keeping the ratio", 0x304, {120, 110}, {130, 116}, true, false, {50, 25}, {105, 102.5}, 0},
        {"corner 0 past the far side", 0x300, {80, 90}, {140, 90}, false, false, {0, 20}, {120, 100}, 0},
        {"side 3 keeping the ratio", 0x303, {120, 100}, {130, 100}, true, false, {50, 25}, {105, 100}, 0},
        {"side 1 keeping the ratio", 0x301, {100, 90}, {100, 80}, true, false, {60, 30}, {100, 95}, 0},
        {"move", 0x200, {100, 100}, {95, 107}, false, false, {40, 20}, {95, 107}, 0},
        {"rotate a quarter", 0x104, {120, 100}, {100, 120}, false, false, {40, 20}, {100, 100}, 90},
        {"unknown kind", 0x404, {120, 100}, {100, 120}, false, false, {40, 20}, {100, 100}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KZTransformEditor editor = frame();
        editor.setKeepRatio(c.keepRatio);
        editor.setCenterBaseRef(c.centred);
        editor.draggedHandle(c.code, c.from, c.to);
        EXPECT_NEAR(editor.size().width(), c.size.width(), 1e-9);
        EXPECT_NEAR(editor.size().height(), c.size.height(), 1e-9);
        EXPECT_NEAR(editor.position().x(), c.centre.x(), 1e-9);
        EXPECT_NEAR(editor.position().y(), c.centre.y(), 1e-9);
        // The angle is taken in single precision.
        EXPECT_NEAR(editor.orientation(), c.orientation, 1e-4);
    }
}

TEST(KZTransformEditor, ResizeOfATurnedFrameKeepsTheOppositeCorner)
{
    KZTransformEditor editor = frame(30);
    const QPointF opposite = editor.transform().map(editor.positionOfHandle(0));
    const QPointF grab = editor.transform().map(editor.positionOfHandle(4));
    editor.draggedHandle(0x304, grab, grab + QPointF(7, 9));
    const KZTransformEditor after(editor.position(), editor.size(), editor.orientation());
    const QPointF moved = after.transform().map(after.positionOfHandle(0));
    EXPECT_NEAR(moved.x(), opposite.x(), 1e-9);
    EXPECT_NEAR(moved.y(), opposite.y(), 1e-9);
}

TEST(KZTransformEditor, RotationAcrossTheWrapIsNotBroughtIntoRange)
{
    KZTransformEditor editor = frame();
    // From just above the left to just below it: atan2 jumps by a turn.
    editor.draggedHandle(0x107, {60, 99}, {60, 101});
    EXPECT_NEAR(std::fabs(editor.orientation()), 360 - 2 * std::atan2(1.0, 40.0) * 180 / M_PI, 1e-3);
}

TEST(KZTransformEditor, KeepingTheRatioOfAFrameWithoutWidthStaysFinite)
{
    // Ratio 0: dividing by it gave inf and NaN sizes. Such a drag goes on
    // without the ratio.
    struct Case {
        int64_t code;
        QPointF drag;
        bool centred;
        QSizeF size;
    } const cases[] = {
        {0x303, {10, 4}, false, {10, 20}},
        {0x301, {3, -10}, false, {0, 30}},
        {0x304, {10, 6}, false, {10, 26}},
        {0x300, {-6, -8}, true, {12, 36}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        KZTransformEditor editor(QPointF(100, 100), QSizeF(0, 20), 0);
        editor.setKeepRatio(true);
        editor.setCenterBaseRef(c.centred);
        editor.draggedHandle(c.code, {100, 100}, QPointF(100, 100) + c.drag);
        EXPECT_TRUE(std::isfinite(editor.size().width()) && std::isfinite(editor.size().height()));
        EXPECT_TRUE(std::isfinite(editor.position().x()) && std::isfinite(editor.position().y()));
        EXPECT_NEAR(editor.size().width(), c.size.width(), 1e-9);
        EXPECT_NEAR(editor.size().height(), c.size.height(), 1e-9);
    }
}

TEST(KZTransformEditor, RatioAndForcing)
{
    EXPECT_EQ(KZTransformEditor(QPointF(), QSizeF(30, 0), 0).ratio(), 1.0);
    EXPECT_EQ(KZTransformEditor(QPointF(), QSizeF(30, 10), 0).ratio(), 3.0);
    struct Case {
        QSizeF in;
        QSizeF out;
    } const cases[] = {
        {{10, 3}, {10, 5}},   // x dominates, y follows with x's sign
        {{-10, 3}, {-10, -5}},
        {{3, -10}, {-20, -10}}, // y dominates
        {{4, 0}, {4, 2}},
        {{0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        const QSizeF out = KZTransformEditor::forceVectorToRatio(c.in, 2);
        EXPECT_EQ(out, c.out) << c.in.width() << "," << c.in.height();
    }
}
