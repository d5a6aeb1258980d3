#include "KZCanvasResizer.h"
#include "KZCanvasResizerDelegate.h"
#include "KZOverlayView.h"

#include "FloatingHUD.h"
#include "FloatingHUDWindowController.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
struct RecordingDelegate : KZCanvasResizerDelegate {
    void canvasResizerDidResizeTo(KZCanvasResizer*, const QRectF& rect) override { rects.push_back(rect); }
    std::vector<QRectF> rects;
};

// A bare overlay at scale 1 with its origin at 0: overlay coordinates are
// its widget coordinates.
struct ResizerFixture {
    ResizerFixture()
    {
        overlay.resize(400, 300);
        resizer.setDelegate(&delegate);
    }
    ~ResizerFixture() { FloatingHUD::shared().hide(); }

    QMouseEvent event(QEvent::Type type, const QPointF& p)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        return QMouseEvent(type, p, p, overlay.mapToGlobal(p), Qt::LeftButton, held, Qt::NoModifier);
    }
    void press(const QPointF& p, const QRectF& frame)
    {
        QMouseEvent e = event(QEvent::MouseButtonPress, p);
        resizer.overlayViewMouseDown(&overlay, &e, frame);
    }
    void drag(const QPointF& p)
    {
        QMouseEvent e = event(QEvent::MouseMove, p);
        resizer.overlayViewMouseDragged(&overlay, &e);
    }
    void release(const QPointF& p)
    {
        QMouseEvent e = event(QEvent::MouseButtonRelease, p);
        resizer.overlayViewMouseUp(&overlay, &e);
    }

    KZOverlayView overlay;
    KZCanvasResizer resizer;
    RecordingDelegate delegate;
};

void expectRect(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

QString hudText()
{
    QLabel* label = FloatingHUD::shared().controller().textLabel();
    return label ? label->text() : QString();
}
} // namespace

TEST(KZCanvasResizer, KnobsKeepTheirScreenSizeAtEveryZoom)
{
    const QRectF frame(0, 0, 100, 50);
    struct Case {
        double scale;
        QRectF right, rightHit, bottom, bottomHit, corner, cornerHit;
    } cases[] = {
        // Zoom 1: knobs of 6 centred 3 outside; hit areas grow by 4 and 8.
        {1, {100, 22, 6, 6}, {100, 18, 10, 14}, {47, 50, 6, 6}, {43, 50, 14, 10}, {100, 50, 6, 6}, {100, 50, 14, 14}},
        // Zoom 2: 3 canvas pixels (6 on screen); hit areas reach 2 and 4 further.
        {2, {100, 23.5, 3, 3}, {100, 21.5, 5, 7}, {48.5, 50, 3, 3}, {46.5, 50, 7, 5}, {100, 50, 3, 3}, {100, 50, 7, 7}},
        // No zoom known: the sizes of zoom 1.
        {0, {100, 22, 6, 6}, {100, 18, 10, 14}, {47, 50, 6, 6}, {43, 50, 14, 10}, {100, 50, 6, 6}, {100, 50, 14, 14}},
        {-1, {100, 22, 6, 6}, {100, 18, 10, 14}, {47, 50, 6, 6}, {43, 50, 14, 10}, {100, 50, 6, 6}, {100, 50, 14, 14}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        KZCanvasResizer resizer;
        resizer.setScaleFactor(c.scale);
        expectRect(resizer.calcRightMiddleKnobFrameFromRect(frame, false), c.right);
        expectRect(resizer.calcRightMiddleKnobFrameFromRect(frame, true), c.rightHit);
        expectRect(resizer.calcBottomMiddleKnobFrameFromRect(frame, false), c.bottom);
        expectRect(resizer.calcBottomMiddleKnobFrameFromRect(frame, true), c.bottomHit);
        expectRect(resizer.calcBottomRightKnobFrameFromRect(frame, false), c.corner);
        expectRect(resizer.calcBottomRightKnobFrameFromRect(frame, true), c.cornerHit);
    }
}

TEST(KZCanvasResizer, HitsGoToTheBottomEdgeFirstThenTheCornerThenTheRightEdge)
{
    KZCanvasResizer resizer;
    // So narrow that the bottom edge's hit area (x -2 to 12) reaches into
    // the corner's (x 10 to 24).
    const QRectF narrow(0, 0, 10, 50);
    struct Case {
        QPointF point;
        KZCanvasResizer::ResizeType type;
    } cases[] = {
        {{11, 52}, KZCanvasResizer::BottomEdge}, // in both: the bottom edge wins
        {{15, 52}, KZCanvasResizer::BottomRightCorner},
        {{12, 25}, KZCanvasResizer::RightEdge},
        {{23.9, 63.9}, KZCanvasResizer::BottomRightCorner},
        {{24, 52}, KZCanvasResizer::None}, // right and bottom edges lie outside
        {{5, 25}, KZCanvasResizer::None},  // on the canvas
        {{-3, 52}, KZCanvasResizer::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << "," << c.point.y());
        EXPECT_EQ(resizer.knobAtPoint(c.point, narrow), c.type);
        EXPECT_EQ(resizer.pointInKnobs(c.point, narrow), c.type != KZCanvasResizer::None);
    }
}

TEST(KZCanvasResizer, EachKnobDragsItsOwnSidesAndTheDelegateGetsTheRectangle)
{
    const QRectF frame(10, 20, 100, 50);
    struct Case {
        const char* name;
        QPointF press;
        QPointF dragTo;
        int type;
        QRectF dragging;
        const char* hud;
    } cases[] = {
        // The knob's centre is 3 outside the edge: the edge lands 3 short of the mouse.
        {"corner", {113, 73}, {153.4, 103.6}, 3, {10, 20, 140.4, 80.6}, "140 x 81 pixels"},
        {"right edge", {113, 45}, {63, 200}, 1, {10, 20, 50, 50}, "50 x 50 pixels"},
        {"bottom edge", {60, 73}, {300, 43}, 2, {10, 20, 100, 20}, "100 x 20 pixels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResizerFixture f;
        f.press(c.press, frame);
        EXPECT_EQ(f.resizer.resizeType(), c.type);
        expectRect(f.resizer.calcDraggingRect(), frame); // no drag yet: the frame as it is
        EXPECT_EQ(hudText(), "100 x 50 pixels");
        f.drag(c.dragTo);
        expectRect(f.resizer.calcDraggingRect(), c.dragging);
        EXPECT_EQ(hudText(), QString::fromLatin1(c.hud));
        f.release(c.dragTo);
        ASSERT_EQ(f.delegate.rects.size(), 1u);
        expectRect(f.delegate.rects[0], c.dragging); // fractions are the document's business
        EXPECT_EQ(f.resizer.resizeType(), KZCanvasResizer::None);
        EXPECT_FALSE(KZCanvasResizer::isValidRect(f.resizer.savedCanvasFrame()));
        EXPECT_FALSE(KZCanvasResizer::isValidPoint(f.resizer.dstPoint()));
        EXPECT_FALSE(KZCanvasResizer::isValidRect(f.resizer.calcDraggingRect()));
    }
}

TEST(KZCanvasResizer, DragsThatGiveNoAreaOrStartOffTheKnobsReportNothing)
{
    const QRectF frame(0, 0, 100, 50);
    {
        // Past the opposite edge: negative width, shown as 0.
        ResizerFixture f;
        f.press({103, 53}, frame);
        f.drag({-20, 40});
        EXPECT_EQ(hudText(), "0 x 37 pixels");
        f.release({-20, 40});
        EXPECT_TRUE(f.delegate.rects.empty());
    }
    {
        // A press beside the knobs keeps the frame but starts no drag.
        ResizerFixture f;
        f.press({50, 25}, frame);
        EXPECT_EQ(f.resizer.resizeType(), KZCanvasResizer::None);
        expectRect(f.resizer.savedCanvasFrame(), frame);
        EXPECT_EQ(hudText(), "- x - pixels");
        f.drag({200, 200});
        f.release({200, 200});
        EXPECT_TRUE(f.delegate.rects.empty());
    }
    {
        // Releasing without moving reports the frame unchanged.
        ResizerFixture f;
        f.press({103, 53}, frame);
        f.release({103, 53});
        ASSERT_EQ(f.delegate.rects.size(), 1u);
        expectRect(f.delegate.rects[0], frame);
    }
    {
        // No delegate: nothing to tell, and nothing breaks.
        ResizerFixture f;
        f.resizer.setDelegate(nullptr);
        f.press({103, 53}, frame);
        f.drag({150, 90});
        f.release({150, 90});
        EXPECT_EQ(f.resizer.resizeType(), KZCanvasResizer::None);
    }
}

TEST(KZCanvasResizer, TheHudFollowsTheMouseDuringTheDragOnly)
{
    ResizerFixture f;
    FloatingHUD& hud = FloatingHUD::shared();
    const QRectF frame(0, 0, 100, 50);
    f.press({103, 53}, frame);
    QWidget* window = hud.controller().window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    f.drag({140, 80});
    EXPECT_EQ(window->windowTitle(), "137 x 77 pixels");
    // Its bottom-left corner sits 20 right of and 35 below the mouse.
    const QPointF mouse = f.overlay.mapToGlobal(QPointF(140, 80));
    const QRectF shown = hud.frame();
    EXPECT_NEAR(shown.left(), mouse.x() + 20, 1.0);
    EXPECT_NEAR(shown.top() + shown.height(), mouse.y() + 35, 1.0);
    f.release({140, 80});
    EXPECT_FALSE(window->isVisible());
}

TEST(KZCanvasResizer, DrawsWhiteKnobsWithAGreyBorderAndABlackAndWhiteOutline)
{
    ResizerFixture f;
    const QRectF frame(10, 10, 100, 50);
    QImage image(200, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(128, 128, 128));
    {
        QPainter painter(&image);
        f.resizer.renderToContext(painter, frame);
    }
    // Right-edge knob: {110, 32, 6, 6}.
    EXPECT_EQ(image.pixelColor(112, 34), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(110, 32), QColor(77, 77, 77));
    // Corner knob {110, 60, 6, 6}, bottom knob {57, 60, 6, 6}.
    EXPECT_EQ(image.pixelColor(113, 63), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(60, 63), QColor(Qt::white));
    // No outline while idle.
    EXPECT_EQ(image.pixelColor(40, 10), QColor(128, 128, 128));

    f.press({113, 63}, frame);
    f.drag({133, 93});
    image.fill(QColor(128, 128, 128));
    {
        QPainter painter(&image);
        f.resizer.renderToContext(painter, frame);
    }
    // Along the top edge of the outline (10, 10, 120, 80) the pixels
    // alternate dark and light, none left grey.
    int dark = 0;
    int light = 0;
    for (int x = 20; x < 60; ++x) {
        const int grey = qGray(image.pixel(x, 10));
        EXPECT_TRUE(grey < 60 || grey > 200) << x << ": " << grey;
        dark += grey < 60;
        light += grey > 200;
        if (x > 20) {
            EXPECT_NE(qGray(image.pixel(x - 1, 10)) < 60, grey < 60) << x;
        }
    }
    EXPECT_EQ(dark, 20);
    EXPECT_EQ(light, 20);
    f.release({133, 93});
}

TEST(KZCanvasResizer, ShowsAResizeCursorOverEachKnobOnly)
{
    KZCanvasResizer resizer;
    QWidget view;
    const QRectF frame(0, 0, 100, 50);
    for (const QPointF& p : {QPointF(103, 25), QPointF(50, 53), QPointF(103, 53)}) {
        const std::optional<QCursor> cursor = resizer.cursorForPoint(p, frame);
        ASSERT_TRUE(cursor.has_value());
        // The bundle's images, with the hot spot at the centre.
        ASSERT_EQ(cursor->shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor->hotSpot(), QPoint(cursor->pixmap().width() / 2, cursor->pixmap().height() / 2));
    }
    EXPECT_FALSE(resizer.cursorForPoint({50, 25}, frame).has_value());
    view.setCursor(Qt::CrossCursor);
    resizer.cursorUpdate({50, 25}, frame, &view);
    EXPECT_EQ(view.cursor().shape(), Qt::CrossCursor);
    resizer.cursorUpdate({103, 53}, frame, &view);
    EXPECT_EQ(view.cursor().shape(), Qt::BitmapCursor);
}
