#include "KZToolboxController.h"
#include "support/DocumentWindowFixture.h"

#include "platform/appkit/Beep.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/UndoManager.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {
bool enabled(SWDocument* document, const char* action, QString* title = nullptr)
{
    platform::MenuItem item(QStringLiteral("x"), QString::fromLatin1(action));
    const bool result = document->validateMenuItem(&item);
    if (title)
        *title = item.text();
    return result;
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

// Closes the undo group of the current event, as the event loop does.
void endEvent()
{
    QApplication::processEvents();
}
} // namespace

TEST(DocumentCommands, ValidationTable)
{
    DocumentWindowFixture f;
    SWDocument* d = f.document;
    QString title;
    const struct {
        double level;
        bool zoomIn, zoomOut;
    } zoomCases[] = {{16, false, true}, {0.25, true, false}, {1, true, true}, {8, true, true}};
    for (const auto& c : zoomCases) {
        f.scrollView()->setScaleFactor(c.level, true);
        EXPECT_EQ(enabled(d, "zoomIn:"), c.zoomIn) << c.level;
        EXPECT_EQ(enabled(d, "zoomOut:"), c.zoomOut) << c.level;
    }
    // Nothing is placed: copy, cut and crop are off.
    EXPECT_FALSE(enabled(d, "copy:"));
    EXPECT_FALSE(enabled(d, "cut:"));
    EXPECT_FALSE(enabled(d, "crop:"));
    EXPECT_FALSE(enabled(d, "selectInvert:"));
    EXPECT_FALSE(enabled(d, "undoOperation:"));

    platform::Pasteboard::general().writeText(QStringLiteral("words"));
    EXPECT_FALSE(enabled(d, "paste:"));
    platform::Pasteboard::general().writeImage(filled({4, 4}, Qt::blue));
    EXPECT_TRUE(enabled(d, "paste:"));

    EXPECT_TRUE(enabled(d, "toggleGridShown:", &title));
    EXPECT_EQ(title, "Show Gridlines");
    d->toggleGridShown();
    EXPECT_TRUE(enabled(d, "toggleGridShown:", &title));
    EXPECT_EQ(title, "Hide Gridlines");
    EXPECT_TRUE(enabled(d, "toggleToolbarShownAndValidate:", &title));
    EXPECT_EQ(title, "Show Toolbar");
    d->toggleToolbarShownAndValidate();
    EXPECT_TRUE(enabled(d, "toggleToolbarShownAndValidate:", &title));
    EXPECT_EQ(title, "Hide Toolbar");
    d->toggleToolbarShownAndValidate();
    EXPECT_TRUE(enabled(d, "toggleToolbarShownAndValidate:", &title));
    EXPECT_EQ(title, "Show Toolbar");
    EXPECT_TRUE(enabled(d, "selectAll:"));
}

TEST(DocumentCommands, PastingABiggerPictureGrowsTheCanvasInOneUndoStep)
{
    DocumentWindowFixture f;
    SWDocument* d = f.document;
    d->dataSource()->resizeToSize(QSizeF(50, 50), false);
    d->dataSource()->mainImage().fill(Qt::green);
    platform::Pasteboard::general().writeImage(filled({100, 100}, Qt::red));
    ASSERT_TRUE(d->paste());
    endEvent();
    EXPECT_EQ(d->dataSource()->canvasSize(), QSizeF(100, 100));
    EXPECT_EQ(d->paintView()->frame().size(), QSizeF(100, 100));
    EXPECT_EQ(d->undoManager()->undoCount(), 1);
    // With no pixel-selection tool in the program the picture lands at once.
    EXPECT_EQ(d->dataSource()->mainImage().pixelColor(75, 75), QColor(Qt::red));
    EXPECT_EQ(d->toolboxController()->currentTool(), "rectangle selection");
    d->undoOperation();
    endEvent();
    EXPECT_EQ(d->dataSource()->canvasSize(), QSizeF(50, 50));
    EXPECT_EQ(d->dataSource()->mainImage().pixelColor(10, 10), QColor(Qt::green));
    EXPECT_FALSE(d->undoManager()->canUndo());
}

TEST(DocumentCommands, PastePointsBecomeWholePixelsAndSmallPicturesKeepTheCanvas)
{
    DocumentWindowFixture f;
    SWDocument* d = f.document;
    d->dataSource()->resizeToSize(QSizeF(50, 50), false);
    ASSERT_TRUE(d->pasteImage(filled({100, 100}, Qt::red), QPointF(10.6, 3.2)));
    endEvent();
    EXPECT_EQ(d->dataSource()->canvasSize(), QSizeF(110, 103));
    EXPECT_EQ(d->dataSource()->mainImage().pixelColor(10, 3), QColor(Qt::red));

    const int steps = d->undoManager()->undoCount();
    ASSERT_TRUE(d->pasteImage(filled({5, 5}, Qt::blue), QPointF(1, 1)));
    endEvent();
    EXPECT_EQ(d->dataSource()->canvasSize(), QSizeF(110, 103));
    EXPECT_EQ(d->undoManager()->undoCount(), steps + 1) << "a paste that fits is still one step";
}

TEST(DocumentCommands, PasteOfUnreadableDataBeepsAndChangesNothing)
{
    DocumentWindowFixture f;
    SWDocument* d = f.document;
    const QSizeF before = d->dataSource()->canvasSize();
    const int beeps = platform::Beep::count();
    platform::Pasteboard::general().setData(QByteArray("garbage"), platform::Pasteboard::tiffType());
    EXPECT_FALSE(d->paste());
    EXPECT_FALSE(d->pasteImage(QImage(), QPointF()));
    EXPECT_EQ(platform::Beep::count(), beeps + 2);
    endEvent();
    EXPECT_EQ(d->dataSource()->canvasSize(), before);
    EXPECT_FALSE(d->undoManager()->canUndo());
}

TEST(DocumentCommands, ZoomCommandsAndGestures)
{
    DocumentWindowFixture f;
    SWDocument* d = f.document;
    SWScalingScrollView* s = f.scrollView();
    d->zoomIn();
    EXPECT_EQ(s->scaleFactor(), 2.0);
    d->zoomIn(f.current()); // a tool as sender: at its saved point
    EXPECT_EQ(s->scaleFactor(), 4.0);
    d->zoomOut();
    d->zoomOut();
    d->zoomOut();
    EXPECT_EQ(s->scaleFactor(), 0.5);
    d->actualSize();
    EXPECT_EQ(s->scaleFactor(), 1.0);
    d->eggsZoom(1);
    EXPECT_EQ(s->scaleFactor(), 0.5);
    d->eggsZoom(0);
    EXPECT_EQ(s->scaleFactor(), 1.0);

    // Smart magnification: 1 does nothing at first, then 300% -> 100% -> back.
    d->overlayViewSmartMagnifyWithEvent(f.overlay(), nullptr);
    EXPECT_EQ(s->scaleFactor(), 1.0);
    s->setScaleFactor(4, true);
    d->overlayViewSmartMagnifyWithEvent(f.overlay(), nullptr);
    EXPECT_EQ(s->scaleFactor(), 1.0);
    d->overlayViewSmartMagnifyWithEvent(f.overlay(), nullptr);
    EXPECT_EQ(s->scaleFactor(), 4.0);

    // A pinch from 400% by +1.0 doubles it.
    d->overlayViewMagnificationGesture(f.overlay(), 1, 0.0);
    d->overlayViewMagnificationGesture(f.overlay(), 2, 1.0);
    EXPECT_EQ(s->scaleFactor(), 8.0);
    d->overlayViewMagnificationGesture(f.overlay(), 3, -0.5);
    EXPECT_EQ(s->scaleFactor(), 2.0);

    // The 1.5 steps stop at the limits of the shown size.
    s->setScaleFactor(16, true);
    d->changeZoomLevel(true); // 400 x 300 at 16 is 4800 < 5000: tries 24, clamps to 16
    EXPECT_EQ(s->scaleFactor(), 16.0);
    d->changeZoomLevel(false); // 10.67 snaps to 8
    EXPECT_EQ(s->scaleFactor(), 8.0);
    s->setScaleFactor(0.25, true);
    d->dataSource()->resizeToSize(QSizeF(100, 100), false);
    f.paintView()->setFrame(QRectF(0, 0, 100, 100));
    d->changeZoomLevel(false); // 25 pixels shown: no further out
    EXPECT_EQ(s->scaleFactor(), 0.25);
}

TEST(DocumentCommands, SelectAllAndDeleteReachTheTools)
{
    DocumentWindowFixture f({"Brush", "rectangle selection"});
    SWDocument* d = f.document;
    d->selectAll();
    EXPECT_EQ(d->toolbox()->currentTool()->description(), "rectangle selection");
    RecordingTool* selection = f.current();
    d->deleteCommand();
    EXPECT_EQ(selection->deletes, 1);
}
