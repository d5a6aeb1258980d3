#include "KZGraphicCursor.h"
#include "KZGraphicEditor.h"
#include "KZGraphicsContext.h"
#include "KZShapeEditor.h"
#include "KZVectorImage.h"

#include "platform/foundation/ModifierFlags.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

#include <cmath>

using platform::ModifierFlags::Command;
using platform::ModifierFlags::Option;
using platform::ModifierFlags::Shift;

namespace {

// An element centred on (100, 100), 40 x 20 unless asked otherwise.
std::shared_ptr<KZVectorImage> element(double orientation = 0, const QRectF& rect = {80, 90, 40, 20})
{
    QPainterPath path;
    path.addRect(rect);
    auto e = std::make_shared<KZVectorImage>(path);
    e->setOrientation(orientation);
    return e;
}

} // namespace

TEST(KZGraphicEditor, HandlesKeepTheirScreenSizeAtEveryZoom)
{
    KZGraphicsContext context;
    context.setZoomFactor(2);
    KZGraphicEditor editor(&context, element());
    const KZTransformEditor geometry = editor.configuredTransformEditor();
    EXPECT_EQ(geometry.actionRectOfHandle(0x300).size(), QSizeF(8, 8));
    EXPECT_EQ(geometry.showRectOfHandle(0x300).size(), QSizeF(4, 4));
    EXPECT_EQ(geometry.actionRectOfHandle(0x100).size(), QSizeF(16, 16));
    // 5 canvas pixels off handle 0: its ring at zoom 2, the handle at zoom 1.
    EXPECT_EQ(geometry.contextAt({75, 85}), 0x100);
    context.setZoomFactor(1);
    EXPECT_EQ(editor.configuredTransformEditor().contextAt({75, 85}), 0x300);
}

TEST(KZGraphicEditor, CursorImagesFollowTheTurnInEighths)
{
    // Per orientation, the resize and the rotate image for handles 0..7.
    struct Case {
        double orientation;
        const char* resize[8];
        const char* rotate[8];
    } const cases[] = {
        {0,
         {"Resize3", "Resize2", "Resize1", "Resize0", "Resize3", "Resize2", "Resize1", "Resize0"},
         {"Rotate3", "Rotate2", "Rotate1", "Rotate0", "Rotate7", "Rotate6", "Rotate5", "Rotate4"}},
        // A clockwise eighth: each handle shows what the next one showed.
        {45,
         {"Resize2", "Resize1", "Resize0", "Resize3", "Resize2", "Resize1", "Resize0", "Resize3"},
         {"Rotate2", "Rotate1", "Rotate0", "Rotate7", "Rotate6", "Rotate5", "Rotate4", "Rotate3"}},
        {90,
         {"Resize1", "Resize0", "Resize3", "Resize2", "Resize1", "Resize0", "Resize3", "Resize2"},
         {"Rotate1", "Rotate0", "Rotate7", "Rotate6", "Rotate5", "Rotate4", "Rotate3", "Rotate2"}},
        // 400 and -320 are 40 degrees, which rounds to the eighth of 45.
        {400,
         {"Resize2", "Resize1", "Resize0", "Resize3", "Resize2", "Resize1", "Resize0", "Resize3"},
         {"Rotate2", "Rotate1", "Rotate0", "Rotate7", "Rotate6", "Rotate5", "Rotate4", "Rotate3"}},
        {-320,
         {"Resize2", "Resize1", "Resize0", "Resize3", "Resize2", "Resize1", "Resize0", "Resize3"},
         {"Rotate2", "Rotate1", "Rotate0", "Rotate7", "Rotate6", "Rotate5", "Rotate4", "Rotate3"}},
    };
    KZGraphicsContext context;
    for (const Case& c : cases) {
        // Large enough that no handle's ring reaches the next handle.
        auto e = element(c.orientation, {0, 0, 200, 100});
        KZGraphicEditor editor(&context, e);
        const KZTransformEditor geometry = editor.configuredTransformEditor();
        for (int h = 0; h < 8; ++h) {
            SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << " handle " << h);
            // Hovering over the handle, then over its ring outside.
            const QPointF handle = geometry.transform().map(geometry.positionOfHandle(h));
            editor.handleMouseMoved(handle, nullptr);
            EXPECT_EQ(editor.cursorName(), c.resize[h]);
            const QPointF outward = handle - e->position();
            const QPointF ring = handle + outward / std::hypot(outward.x(), outward.y()) * 12;
            editor.handleMouseMoved(ring, nullptr);
            EXPECT_EQ(editor.cursorName(), c.rotate[h]);
        }
    }
}

TEST(KZGraphicEditor, HandsInsideCrosshairOutside)
{
    KZGraphicsContext context;
    KZGraphicEditor editor(&context, element());
    editor.handleMouseMoved({100, 100}, nullptr);
    EXPECT_EQ(editor.cursorName(), "openhand");
    ASSERT_TRUE(editor.handleMouseDown({100, 100}, nullptr));
    // The drag keeps its cursor wherever the mouse goes.
    editor.handleMouseDragged({300, 300}, nullptr);
    EXPECT_EQ(editor.cursorName(), "closedhand");
    editor.handleMouseUp({300, 300}, nullptr);
    editor.handleMouseMoved({10, 10}, nullptr);
    EXPECT_EQ(editor.cursorName(), "crosshair");
    // A press that hits nothing is refused and starts nothing.
    EXPECT_FALSE(editor.handleMouseDown({10, 10}, nullptr));
    EXPECT_FALSE(editor.dragging());
    EXPECT_EQ(editor.draggedHandle(), -1);
}

TEST(KZGraphicEditor, CursorImagesAreDrawnWithCentredHotSpots)
{
    QStringList names{"crosshair", "openhand", "closedhand"};
    for (int k = 0; k < 4; ++k)
        names << QStringLiteral("Resize%1").arg(k);
    for (int k = 0; k < 8; ++k)
        names << QStringLiteral("Rotate%1").arg(k);
    QList<QImage> seen;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QImage image = KZGraphicCursor::imageNamed(name);
        ASSERT_FALSE(image.isNull());
        EXPECT_FALSE(seen.contains(image)) << "every image differs";
        seen << image;
        const QCursor cursor = KZGraphicCursor::cursorNamed(name);
        EXPECT_EQ(cursor.hotSpot(), QPoint(image.width() / 2, image.height() / 2));
    }
    EXPECT_TRUE(KZGraphicCursor::imageNamed("Resize4").isNull());
}

// The drawings and cursors are kept once made: whoever paints into an image
// handed out paints into a copy, and the next caller gets the drawing.
TEST(KZGraphicEditor, CursorDrawingsHandedOutStayTheirsAlone)
{
    QImage first = KZGraphicCursor::imageNamed("crosshair");
    ASSERT_FALSE(first.isNull());
    const QImage untouched = first.copy();
    first.fill(Qt::red);
    EXPECT_EQ(KZGraphicCursor::imageNamed("crosshair"), untouched);
    const QCursor cursor = KZGraphicCursor::cursorNamed("crosshair");
    EXPECT_EQ(cursor.pixmap().toImage().convertToFormat(untouched.format()), untouched);
    EXPECT_EQ(KZGraphicCursor::cursorNamed("crosshair").hotSpot(), cursor.hotSpot());
}

TEST(KZGraphicEditor, DragStepsAddUpFromRoundedPointsAndReadModifiersEachStep)
{
    KZGraphicsContext context;
    auto e = element();
    KZGraphicEditor editor(&context, e);
    ASSERT_TRUE(editor.handleMouseDown({120.4, 110.3}, nullptr)); // handle 4
    // Step 1 without Shift: (120, 110) -> (130, 116).
    editor.handleMouseDragged({130.2, 115.6}, nullptr);
    EXPECT_NEAR(e->size().width(), 50, 1e-9);
    EXPECT_NEAR(e->size().height(), 26, 1e-9);
    EXPECT_NEAR(e->position().x(), 105, 1e-9);
    EXPECT_NEAR(e->position().y(), 103, 1e-9);
    EXPECT_NEAR(e->scale().width(), 50.0 / 40, 1e-9);
    // Step 2 centred: (130, 116) -> (132, 117) grows by 4 x 2 about the centre.
    context.setKeyFlags(Command);
    editor.handleMouseDragged({132, 117}, nullptr);
    EXPECT_NEAR(e->size().width(), 54, 1e-9);
    EXPECT_NEAR(e->size().height(), 28, 1e-9);
    EXPECT_NEAR(e->position().x(), 105, 1e-9);
    editor.handleMouseUp({132, 117}, nullptr);
    // A drag step without an accepted press only records the point.
    editor.handleMouseDragged({500, 500}, nullptr);
    EXPECT_NEAR(e->size().width(), 54, 1e-9);
    EXPECT_EQ(editor.savedPoint(), QPointF(500, 500));
}

TEST(KZGraphicEditor, KeepRatioOnAFrameWithoutWidthStoresFiniteSizes)
{
    KZGraphicsContext context;
    auto e = element();
    KZGraphicEditor editor(&context, e);
    // Handle 0 dragged past the right side: the width becomes 0.
    ASSERT_TRUE(editor.handleMouseDown({80, 90}, nullptr));
    editor.handleMouseDragged({160, 90}, nullptr);
    editor.handleMouseUp({160, 90}, nullptr);
    ASSERT_EQ(e->size().width(), 0);
    const QPointF corner = e->transform().map(QPointF(20, 10)); // handle 4
    context.setKeyFlags(Shift);
    ASSERT_TRUE(editor.handleMouseDown(corner, nullptr));
    editor.handleMouseDragged(corner + QPointF(10, 6), nullptr);
    EXPECT_TRUE(std::isfinite(e->scale().width()) && std::isfinite(e->scale().height()));
    EXPECT_NEAR(e->size().width(), 10, 1e-9);
    EXPECT_NEAR(e->size().height(), 26, 1e-9);
}

TEST(KZGraphicEditor, ArrowKeysNudgeByOnePixel)
{
    struct Case {
        int key;
        QPointF delta;
    } const cases[] = {{Qt::Key_Up, {0, -1}}, {Qt::Key_Down, {0, 1}}, {Qt::Key_Left, {-1, 0}},
                       {Qt::Key_Right, {1, 0}}, {Qt::Key_A, {0, 0}}};
    KZGraphicsContext context;
    for (const Case& c : cases) {
        auto e = element();
        KZGraphicEditor editor(&context, e);
        QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier);
        EXPECT_TRUE(editor.handleKeyDown(&key));
        EXPECT_EQ(e->position(), QPointF(100, 100) + c.delta) << c.key;
    }
}

TEST(KZShapeEditor, FollowsTheToolboxWhileEditing)
{
    KZGraphicsContext context;
    context.setFrontColor(Qt::red);
    context.setBackColor(Qt::green);
    context.setLineWidth(5);
    auto e = element();
    {
        KZShapeEditor editor(&context, e);
        context.setLineWidth(9);
        EXPECT_EQ(e->lineSize(), 9);
        EXPECT_EQ(e->strokeColor(), QColor(Qt::red));
        EXPECT_EQ(e->fillColor(), QColor(Qt::green));
        context.setShouldFill(true);
        EXPECT_TRUE(e->shouldFill());
        // Option reaches the colours at the next change announced.
        context.setKeyFlags(Option);
        EXPECT_EQ(e->strokeColor(), QColor(Qt::red));
        EXPECT_TRUE(editor.flipColor());
        context.setKeyFlags(Option);
        EXPECT_EQ(e->strokeColor(), QColor(Qt::green));
        EXPECT_EQ(e->fillColor(), QColor(Qt::red));
    }
    // Gone editors follow nothing.
    context.setLineWidth(3);
    EXPECT_EQ(e->lineSize(), 9);
}
