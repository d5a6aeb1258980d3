#include "KZCanvasResizer.h"
#include "SWPixelSelectionTarget.h"
#include "support/DocumentWindowFixture.h"

#include "FloatingHUD.h"
#include "FloatingHUDWindowController.h"

#include "platform/appkit/Alert.h"
#include "platform/appkit/Beep.h"
#include "platform/appkit/UndoManager.h"

#include <gtest/gtest.h>

namespace {
// A recording tool that holds a placed selection.
class PlacedSelectionTool : public RecordingTool, public SWPixelSelectionTarget {
public:
    using RecordingTool::RecordingTool;
    void setImageDataSource(SWImageDataSource*) override {}
    void setSelectedImage(const QImage&) override {}
    void setPosition(const QPointF&) override {}
    void selectAll() override {}
    void selectInvert() override {}
    bool hasSelectedImage() const override { return true; }
};

QSizeF canvasSize(const DocumentWindowFixture& f)
{
    return f.document->dataSource()->canvasSize();
}

// The overlay rectangle of a canvas rectangle, as the resizer reports it.
QRectF overlayRectForCanvas(const DocumentWindowFixture& f, const QRectF& canvas)
{
    const QPointF origin = f.overlay()->pointFromWidget(f.overlayPointForCanvas(canvas.topLeft()));
    return QRectF(origin, canvas.size());
}

void endEvent()
{
    QApplication::processEvents();
}
} // namespace

TEST(CanvasResizerDocument, DraggingTheCornerKnobResizesTheCanvasInOneUndoStep)
{
    DocumentWindowFixture f;
    ASSERT_EQ(canvasSize(f), QSizeF(400, 300));
    f.document->dataSource()->mainImage().fill(Qt::red);
    // The corner knob's centre lies 3 pixels beyond both edges.
    f.mouse(QEvent::MouseButtonPress, {403, 303}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(FloatingHUD::shared().controller().window()->isVisible());
    f.mouse(QEvent::MouseMove, {430, 320}, Qt::NoButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {453, 323}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(FloatingHUD::shared().controller().textLabel()->text(), "450 x 320 pixels");
    f.mouse(QEvent::MouseButtonRelease, {453, 323}, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(FloatingHUD::shared().controller().window()->isVisible());
    EXPECT_EQ(canvasSize(f), QSizeF(450, 320));
    EXPECT_EQ(f.paintView()->frame(), QRectF(0, 0, 450, 320));
    // The picture keeps its top-left corner; the new area is background.
    EXPECT_EQ(f.document->dataSource()->mainImage().pixelColor(10, 10), QColor(Qt::red));
    EXPECT_NE(f.document->dataSource()->mainImage().pixelColor(440, 310), QColor(Qt::red));
    // The tool saw none of it.
    EXPECT_TRUE(f.current()->calls.empty());
    endEvent();
    EXPECT_EQ(f.document->undoManager()->undoCount(), 1);
    f.document->undoOperation();
    EXPECT_EQ(canvasSize(f), QSizeF(400, 300));
    EXPECT_EQ(f.document->dataSource()->mainImage().pixelColor(399, 299), QColor(Qt::red));
}

TEST(CanvasResizerDocument, KnobsFollowTheZoomAndFractionsRoundToWholePixels)
{
    DocumentWindowFixture f;
    f.scrollView()->setScaleFactor(2, true);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(f.document->canvasResizer()->scaleFactor(), f.scrollView()->actualMagnification());
    // At zoom 2 the right knob's centre is 1.5 canvas pixels out; a drag to
    // 461.75 leaves the edge at 460.25, which rounds to 460.
    f.mouse(QEvent::MouseButtonPress, {401.5, 150}, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {461.75, 150}, Qt::NoButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, {461.75, 150}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(canvasSize(f), QSizeF(460, 300));

    // The document rounds each side to the nearest pixel.
    f.document->canvasResizerDidResizeTo(f.document->canvasResizer(), overlayRectForCanvas(f, {0, 0, 120.4, 80.6}));
    EXPECT_EQ(canvasSize(f), QSizeF(120, 81));
}

TEST(CanvasResizerDocument, SizesACanvasCannotTakeAreRefusedWithABeep)
{
    DocumentWindowFixture f;
    const struct {
        const char* name;
        QSizeF size;
        const char* why;
    } cases[] = {
        {"rounds to no pixel", {0.3, 50}, "1 pixel"},
        {"side past the limit", {40000, 10}, "32767"},
        {"more pixels than a canvas may hold", {20000, 20000}, "16384 x 16384"},
    };
    // The beep alone is silence on most desktops: a message says why.
    QStringList messages;
    platform::Alert::setTestResponder([&messages](const platform::Alert& alert) {
        messages << alert.messageText() + QLatin1Char(' ') + alert.informativeText();
        return int(platform::Alert::FirstButton);
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int beeps = platform::Beep::count();
        messages.clear();
        f.document->canvasResizerDidResizeTo(f.document->canvasResizer(), overlayRectForCanvas(f, {{0, 0}, c.size}));
        EXPECT_EQ(platform::Beep::count(), beeps + 1);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QString::fromLatin1(c.why))) << messages[0].toStdString();
        EXPECT_EQ(canvasSize(f), QSizeF(400, 300));
        endEvent();
        EXPECT_FALSE(f.document->undoManager()->canUndo());
    }
    // A drag back to the same size changes nothing and says nothing.
    const int beeps = platform::Beep::count();
    messages.clear();
    f.document->canvasResizerDidResizeTo(f.document->canvasResizer(), overlayRectForCanvas(f, {0, 0, 400, 300}));
    EXPECT_EQ(platform::Beep::count(), beeps);
    EXPECT_TRUE(messages.isEmpty());
    platform::Alert::setTestResponder({});
    endEvent();
    EXPECT_FALSE(f.document->undoManager()->canUndo());
}

TEST(CanvasResizerDocument, HoveringAKnobShowsItsCursorInsteadOfTheTools)
{
    DocumentWindowFixture f;
    f.mouse(QEvent::MouseMove, {403, 150}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(f.overlay()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_TRUE(f.current()->moves.empty());
    f.mouse(QEvent::MouseMove, {200, 150}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(f.current()->moves.size(), 1u);
}

TEST(CanvasResizerDocument, KnobsRestWhileAnElementIsPlaced)
{
    DocumentWindowFixture f;
    std::vector<SWToolbox::ToolClass> classes{{"PlacedSelectionTool", [](KZToolboxController* controller) {
                                                   return std::unique_ptr<SWTool>(
                                                       new PlacedSelectionTool(controller, QStringLiteral("Brush")));
                                               }}};
    f.document->setToolbox(std::make_unique<SWToolbox>(f.document, f.document->toolboxController(), classes));
    f.mouse(QEvent::MouseButtonPress, {403, 303}, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {453, 323}, Qt::NoButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, {453, 323}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(canvasSize(f), QSizeF(400, 300));
    // The press went to the tool.
    ASSERT_EQ(f.current()->calls.size(), 3u);
    EXPECT_EQ(f.current()->calls[0].phase, 0);
}

TEST(CanvasResizerDocument, TheOverlayDrawsTheKnobsBesideTheCanvas)
{
    DocumentWindowFixture f;
    const QImage shot = f.overlay()->grab().toImage();
    const QPoint corner = f.overlayPointForCanvas({403, 303}).toPoint();
    const QPoint onCanvas = f.overlayPointForCanvas({200, 150}).toPoint();
    EXPECT_EQ(shot.pixelColor(corner), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(onCanvas).alpha(), 0); // the overlay is clear over the picture
}
