#include "KZGraphicEditor.h"
#include "KZGraphicElement.h"
#include "KZGraphicsContext.h"
#include "KZToolboxController.h"
#include "SWImageTools.h"
#include "support/DocumentWindowFixture.h"
#include "support/TestVectorTool.h"

#include "platform/foundation/UserDefaults.h"

#include <QPaintEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QColor kBlue(0, 0, 255);

// A document whose registry holds a recording "Brush" and the vector tool
// base with the test rectangle kind, the vector tool current, driven by
// mouse and key events sent to the overlay view.
struct VectorToolFixture {
    VectorToolFixture()
        : window({"Brush"})
    {
        platform::UserDefaults::standard().setValue(QStringLiteral("AllowAntialias"), false);
        SWDocument* d = window.document;
        std::vector<SWToolbox::ToolClass> classes = recordingToolClasses({"Brush"});
        classes.push_back(testVectorToolClass());
        d->setToolbox(std::make_unique<SWToolbox>(d, d->toolboxController(), classes));
        d->toolboxController()->setForegroundColor(kBlue);
        d->toolboxController()->setCurrentTool(QStringLiteral("test rectangle"));
        tool = dynamic_cast<TestVectorTool*>(d->toolbox()->currentTool());
        QApplication::processEvents();
    }
    ~VectorToolFixture() { platform::UserDefaults::standard().removeValue(QStringLiteral("AllowAntialias")); }

    void press(const QPointF& p) { window.mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void drag(const QPointF& p) { window.mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void release(const QPointF& p) { window.mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
    void gesture(const QPointF& from, const QPointF& to)
    {
        press(from);
        drag((from + to) / 2);
        drag(to);
        release(to);
    }

    QImage& main() { return window.document->dataSource()->mainImage(); }
    QImage& buffer() { return window.document->dataSource()->bufferImage(); }

    DocumentWindowFixture window;
    TestVectorTool* tool = nullptr;
};

bool isClear(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() != 0)
                return false;
    return true;
}

// Paint events the overlay receives.
struct PaintSpy : QObject {
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted |= static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

} // namespace

TEST(KZGraphicTool, DragBuildsThenAPressOutsideCommitsAndStartsNothing)
{
    VectorToolFixture f;
    ASSERT_NE(f.tool, nullptr);
    EXPECT_EQ(f.tool->description(), "test rectangle");
    const QImage before = SWImageTools::cloneImage(f.main());

    f.gesture({50, 50}, {150, 120});
    ASSERT_TRUE(f.tool->isEditing());
    ASSERT_NE(f.tool->element(), nullptr);
    EXPECT_EQ(f.tool->element()->size(), QSizeF(100, 70));
    // The element shows in the buffer only; the picture is untouched.
    EXPECT_EQ(f.buffer().pixelColor(50, 85), kBlue);
    EXPECT_EQ(f.main(), before);

    f.press({300, 250});
    EXPECT_TRUE(f.tool->isReady());
    EXPECT_TRUE(f.tool->active());
    EXPECT_EQ(f.tool->element(), nullptr);
    EXPECT_EQ(f.main().pixelColor(50, 85), kBlue);
    EXPECT_EQ(f.main().pixelColor(100, 85), before.pixelColor(100, 85));
    EXPECT_TRUE(isClear(f.buffer()));
    f.release({300, 250});
    EXPECT_TRUE(f.tool->isReady());
}

TEST(KZGraphicTool, PressingOutsideAndDraggingOnStartsANewElementAtTheFirstDragPoint)
{
    VectorToolFixture f;
    f.gesture({50, 50}, {150, 120});
    f.press({300, 250});
    f.drag({320, 260});
    EXPECT_TRUE(f.tool->isBuilding());
    f.drag({350, 280});
    f.release({350, 280});
    ASSERT_TRUE(f.tool->isEditing());
    EXPECT_EQ(f.tool->element()->position(), QPointF(335, 270));
    EXPECT_EQ(f.tool->element()->size(), QSizeF(30, 20));
}

TEST(KZGraphicTool, AClickWithoutADragLeavesTheToolInactiveAndThePictureAlone)
{
    VectorToolFixture f;
    const QImage before = SWImageTools::cloneImage(f.main());
    f.press({60, 60});
    f.release({60, 60});
    EXPECT_FALSE(f.tool->active());
    EXPECT_TRUE(f.tool->isReady());
    EXPECT_TRUE(isClear(f.buffer()));
    EXPECT_EQ(f.main(), before);
    // The next press activates the tool again.
    f.gesture({10, 10}, {40, 30});
    EXPECT_TRUE(f.tool->active());
    EXPECT_TRUE(f.tool->isEditing());
}

TEST(KZGraphicTool, DeleteDropsTheElementWithoutATrace)
{
    VectorToolFixture f;
    const QImage before = SWImageTools::cloneImage(f.main());
    f.gesture({50, 50}, {150, 120});
    ASSERT_TRUE(f.tool->isEditing());
    f.window.key(Qt::Key_Delete);
    EXPECT_FALSE(f.tool->active());
    EXPECT_EQ(f.tool->element(), nullptr);
    EXPECT_TRUE(isClear(f.buffer()));
    EXPECT_EQ(f.main(), before);
}

TEST(KZGraphicTool, SwitchingToolsCommitsAndASecondDeactivateAnswersNo)
{
    VectorToolFixture f;
    f.gesture({50, 50}, {150, 120});
    f.window.document->toolboxController()->setCurrentTool(QStringLiteral("Brush"));
    EXPECT_EQ(f.main().pixelColor(50, 85), kBlue);
    EXPECT_TRUE(isClear(f.buffer()));
    EXPECT_FALSE(f.tool->active());
    EXPECT_FALSE(f.tool->deactive());
    EXPECT_FALSE(f.tool->cancel());
    // The drawing state follows the toolbox also while another tool is current.
    f.window.document->toolboxController()->setForegroundColor(Qt::red);
    EXPECT_EQ(f.tool->context()->frontColor(), QColor(Qt::red));
}

TEST(KZGraphicTool, HandlesMoveResizeAndTurnTheElementAndArrowsNudgeIt)
{
    VectorToolFixture f;
    f.gesture({50, 50}, {150, 120}); // centre (100, 85)
    auto element = f.tool->element();
    // Move from inside.
    f.press({100, 85});
    EXPECT_TRUE(f.tool->isEditing()) << "a press on the element does not commit it";
    f.drag({110, 95});
    f.release({110, 95});
    EXPECT_EQ(element->position(), QPointF(110, 95));
    // Resize by the bottom-right handle (160, 130).
    f.press({160, 130});
    f.drag({170, 140});
    f.release({170, 140});
    EXPECT_EQ(element->size(), QSizeF(110, 80));
    EXPECT_EQ(element->position(), QPointF(115, 100));
    // Turn by the ring outside the right middle handle (170, 100).
    f.press({180, 100});
    f.drag({115, 170});
    f.release({115, 170});
    EXPECT_NEAR(element->orientation(), 90, 1e-3);
    f.window.key(Qt::Key_Up);
    EXPECT_EQ(element->position(), QPointF(115, 99));
    EXPECT_EQ(f.tool->element(), element);
}

TEST(KZGraphicTool, EachEventRedrawsOnlyTheOldAndNewElementAreas)
{
    VectorToolFixture f;
    f.gesture({50, 50}, {150, 120});
    // A mark far from the element survives its drags; the old place is cleared.
    f.buffer().setPixelColor(390, 290, Qt::red);
    f.press({100, 85});
    f.drag({200, 185});
    EXPECT_EQ(f.buffer().pixelColor(390, 290), QColor(Qt::red));
    EXPECT_EQ(f.buffer().pixelColor(50, 85).alpha(), 0);
    EXPECT_EQ(f.buffer().pixelColor(150, 185), kBlue);
    // The paint view is asked to redraw the old and new areas together.
    const QRectF redraw = f.tool->invalidRect();
    EXPECT_TRUE(redraw.contains(QRectF(49, 49, 202, 172)));
    f.release({200, 185});
}

TEST(KZGraphicTool, DeactivatingRedrawsTheWholeOverlay)
{
    VectorToolFixture f;
    f.gesture({50, 50}, {150, 120});
    QApplication::processEvents();
    PaintSpy spy;
    f.window.overlay()->installEventFilter(&spy);
    f.tool->refreshDisplay();
    QApplication::processEvents();
    f.window.overlay()->removeEventFilter(&spy);
    EXPECT_EQ(spy.painted.boundingRect(), f.window.overlay()->rect());
}

TEST(KZGraphicTool, TheOverlayShowsBorderAndHandles)
{
    VectorToolFixture f;
    f.gesture({50, 50}, {150, 120});
    KZOverlayView* overlay = f.window.overlay();
    QImage drawn(overlay->size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        painter.setTransform(QTransform::fromScale(overlay->boundsScale(), overlay->boundsScale()) *
                             QTransform::fromTranslate(-overlay->bounds().x(), -overlay->bounds().y()));
        f.window.document->overlayViewDrawRect(overlay, &painter, overlay->bounds());
    }
    // Handle 0 at the canvas point (50, 50), the border along the top side.
    const QPoint handle = f.window.overlayPointForCanvas({50, 50}).toPoint();
    const QPoint border = f.window.overlayPointForCanvas({100, 50}).toPoint();
    const QPoint inside = f.window.overlayPointForCanvas({100, 85}).toPoint();
    EXPECT_GT(drawn.pixelColor(handle).alpha(), 0);
    EXPECT_GT(drawn.pixelColor(border).alpha(), 0);
    EXPECT_EQ(drawn.pixelColor(inside).alpha(), 0);
}

TEST(KZGraphicTool, DocumentCommandsWorkOnThePlacedElement)
{
    VectorToolFixture f;
    f.gesture({50, 50}, {150, 120});
    auto element = f.tool->element();
    ASSERT_TRUE(element->hasCreated());
    f.window.document->flipHorizontal();
    EXPECT_EQ(element->orientation(), 180);
    EXPECT_TRUE(element->shouldFlip());
    f.window.document->rotate90R();
    EXPECT_EQ(element->orientation(), 270);
    EXPECT_EQ(f.tool->element(), element) << "the element stays under edit";
    // Crop: the canvas becomes the element's pixels (bounds grown by the stroke).
    const QSize expected = element->bitmapRepresentation().size();
    f.window.document->crop();
    EXPECT_EQ(f.main().size(), expected);
    EXPECT_FALSE(f.tool->active());
}

TEST(KZGraphicTool, ZoomReachesTheContext)
{
    VectorToolFixture f;
    f.window.scrollView()->setScaleFactor(2, true);
    EXPECT_NEAR(f.tool->context()->zoomFactor(), f.window.scrollView()->actualMagnification(), 1e-9);
    EXPECT_GT(f.tool->context()->zoomFactor(), 1.0);
}
