#include "HiResSupport.h"
#include "KZGraphicsContext.h"
#include "KZTextBuilder.h"
#include "KZTextEditor.h"
#include "KZTextElement.h"
#include "KZTextTool.h"
#include "KZToolboxController.h"
#include "SWImageTools.h"
#include "support/DocumentWindowFixture.h"

#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/FontPanel.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/TextView.h"
#include "platform/appkit/UndoManager.h"

#include <QPainter>
#include <QTest>
#include "ScaledChildRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace {

// One family and a pixel size: the text renders the same everywhere.
QFont pinnedFont(int pixelSize = 20)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    return font;
}

// A document with the text tool current, its window active, the font panel
// on the pinned font and red as the toolbox's selected colour.
struct TextToolFixture {
    TextToolFixture()
        : window({"Brush"})
    {
        platform::FontPanel::shared().setSelectedFont(pinnedFont());
        SWDocument* d = window.document;
        std::vector<SWToolbox::ToolClass> classes = recordingToolClasses({"Brush"});
        classes.push_back({"KZTextTool", [](KZToolboxController* c) -> std::unique_ptr<SWTool> {
                               return std::make_unique<KZTextTool>(c);
                           }});
        d->setToolbox(std::make_unique<SWToolbox>(d, d->toolboxController(), classes));
        d->toolboxController()->setSelectedColor(Qt::red);
        d->toolboxController()->setCurrentTool(QStringLiteral("KZText"));
        tool = dynamic_cast<KZTextTool*>(d->toolbox()->currentTool());
        d->window()->activateWindow();
        active = QTest::qWaitForWindowActive(d->window(), 30000);
        QApplication::processEvents();
    }
    void press(const QPointF& p) { window.mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void release(const QPointF& p)
    {
        window.mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        // The undo group of the event closes with the event loop's turn.
        QApplication::processEvents();
    }
    void click(const QPointF& p)
    {
        press(p);
        release(p);
    }
    void drag(const QPointF& from, const QPointF& to)
    {
        press(from);
        window.mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        release(to);
    }
    void type(const QString& text) { QTest::keyClicks(tool->textView(), text); }
    QImage& picture() const { return window.document->dataSource()->mainImage(); }
    int undoSteps() const { return window.document->undoManager()->undoCount(); }

    DocumentWindowFixture window;
    KZTextTool* tool = nullptr;
    bool active = false;
};

QRectF outlineBox(const KZGraphicElement& element)
{
    return element.KZGraphicElement::bounds();
}

// The pixels that changed against the picture before, as a box.
QRect changedArea(const QImage& before, const QImage& after)
{
    QRect area;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                area |= QRect(x, y, 1, 1);
    return area;
}

// Red text over white: red stays full, green and blue drop together.
bool isRedTint(QRgb p)
{
    return qRed(p) >= 250 && std::abs(qGreen(p) - qBlue(p)) <= 3;
}

// The body of red letters, not their faint rim.
bool isRedInk(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 160 && std::abs(qGreen(p) - qBlue(p)) < 16;
}

QRect redInk(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isRedInk(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}

} // namespace

TEST(KZTextTool, BoxesOpenAtTheClickOrTheDragWithTheTextViewOnWholePixelsInside)
{
    struct Case {
        const char* name;
        QPointF from, to;
        bool clicked;
    } const cases[] = {
        {"click", {100, 80}, {100, 80}, true},
        {"flat drag", {100, 80}, {160, 80}, true},
        {"drag", {50, 40}, {250, 141}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextToolFixture f;
        ASSERT_NE(f.tool, nullptr);
        EXPECT_EQ(f.tool->description(), QStringLiteral("KZText"));
        if (c.from == c.to)
            f.click(c.from);
        else
            f.drag(c.from, c.to);
        ASSERT_TRUE(f.tool->isEditing());
        const auto box = std::dynamic_pointer_cast<KZTextElement>(f.tool->element());
        ASSERT_NE(box, nullptr);
        // A clicked box is the word "Text" with its top-left at the click
        // (the middle of a flat drag); a dragged one the dragged rectangle.
        // Either grows by 11 on every side for the handles.
        const double ratioOfView = HiResSupport::screenScaleFactor(f.window.overlay());
        const QSizeF text = KZTextTool::defaultBoxSize(pinnedFont(), ratioOfView);
        const QPointF corner = c.clicked ? QPointF((c.from.x() + c.to.x()) / 2, c.from.y()) : c.from;
        const QSizeF size = c.clicked ? text : QSizeF(c.to.x() - c.from.x(), c.to.y() - c.from.y());
        const QRectF outline = outlineBox(*box);
        EXPECT_NEAR(outline.x(), corner.x() - 11, 1e-6);
        EXPECT_NEAR(outline.y(), corner.y() - 11, 1e-6);
        EXPECT_NEAR(outline.width(), size.width() + 22, 1e-6);
        EXPECT_NEAR(outline.height(), size.height() + 22, 1e-6);
        EXPECT_EQ(box->fillColor().alpha(), 0);
        EXPECT_EQ(box->strokeColor().alpha(), 0);

        // The text view: 10 inside the element's bounds, whole canvas pixels,
        // on the overlay, with the keys, the font and the selected colour.
        platform::TextView* view = f.tool->textView();
        const QRectF inset = box->bounds().adjusted(10, 10, -10, -10);
        const QRectF frame = f.tool->textFrameInCanvas();
        EXPECT_EQ(frame, QRectF(std::trunc(inset.x()), std::trunc(inset.y()), std::trunc(inset.width()),
                                std::trunc(inset.height())));
        EXPECT_EQ(view->frame(), frame.translated(f.window.document->canvasRectInOverlay().topLeft()));
        EXPECT_EQ(view->parentWidget(), f.window.overlay());
        EXPECT_TRUE(view->isVisible());
        if (f.active) {
            EXPECT_TRUE(view->hasFocus());
        }
        EXPECT_EQ(view->textFont().pixelSize(), 20);
        EXPECT_EQ(view->textColor(), QColor(Qt::red));
        EXPECT_EQ(view->contentScale(), ratioOfView);
        EXPECT_EQ(f.undoSteps(), 0) << "opening a box takes no step";
    }
}

TEST(KZTextTool, TheBoxHasNoRotateZonesAndItsHandlesMoveTheTextView)
{
    TextToolFixture f;
    f.drag({100, 100}, {200, 160});
    auto* editor = dynamic_cast<KZTextEditor*>(f.tool->editor());
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->shouldRotate());
    // Just beyond the top-left handle, where a shape's rotate zone is.
    const QRectF outline = outlineBox(*f.tool->element());
    EXPECT_EQ(editor->configuredTransformEditor().contextAt(outline.topLeft() - QPointF(10, 10)),
              KZTransformEditor::kNothing);
    EXPECT_FALSE(editor->hitTest(outline.topLeft() - QPointF(10, 10)));
    // Dragging the bottom-right handle by (30.4, 20.6): the text view
    // follows on whole pixels.
    const QRectF before = f.tool->textFrameInCanvas();
    f.press(outline.bottomRight());
    f.window.mouse(QEvent::MouseMove, outline.bottomRight() + QPointF(30.4, 20.6), Qt::NoButton, Qt::LeftButton);
    f.release(outline.bottomRight() + QPointF(30.4, 20.6));
    const QRectF after = f.tool->textFrameInCanvas();
    EXPECT_EQ(after.topLeft(), before.topLeft());
    EXPECT_EQ(after.size(), before.size() + QSizeF(30, 21));
    EXPECT_EQ(f.tool->textView()->frame(), after.translated(f.window.document->canvasRectInOverlay().topLeft()));
    // Zoomed out, the handles reach further than the 20 around the text
    // view: the area redrawn around the box still takes them in.
    f.tool->context()->setZoomFactor(0.25);
    EXPECT_TRUE(editor->surroundingRect().contains(editor->configuredTransformEditor().surroundingRect()));
    // Crop has no pixels of a text box to keep.
    platform::MenuItem crop(QStringLiteral("Crop"), QStringLiteral("crop:"), {});
    EXPECT_FALSE(f.window.document->validateMenuItem(&crop));
}

TEST(KZTextTool, TheBoxGrowsAsTheTextGrows)
{
    TextToolFixture f;
    // A clicked box grows to the right for a longer word.
    f.click({40, 40});
    const QRectF clicked = f.tool->textFrameInCanvas();
    f.type(QStringLiteral("Hello wide world"));
    const QRectF grown = f.tool->textFrameInCanvas();
    EXPECT_EQ(grown.topLeft(), clicked.topLeft());
    EXPECT_GE(grown.width(), f.tool->textView()->usedSize().width());
    EXPECT_GT(grown.width(), clicked.width() * 2);
    EXPECT_EQ(grown.height(), clicked.height()) << "one line";
    // A dragged box keeps its width: its lines wrap and it grows downward.
    f.click({380, 280});
    f.drag({20, 150}, {120, 170});
    const QRectF dragged = f.tool->textFrameInCanvas();
    f.type(QStringLiteral("one two three four five six"));
    const QRectF wrapped = f.tool->textFrameInCanvas();
    EXPECT_EQ(wrapped.topLeft(), dragged.topLeft());
    EXPECT_EQ(wrapped.width(), dragged.width());
    EXPECT_GT(wrapped.height(), 2 * f.tool->textView()->textFont().pixelSize());
    EXPECT_GE(wrapped.height(), f.tool->textView()->usedSize().height());
}

TEST(KZTextTool, OnlyATextThatShowsTakesAnUndoStep)
{
    struct Case {
        const char* name;
        QPointF from, to;
        QString text;
        bool shrunk; // its handle dragged until it has no width
        int steps;
    } const cases[] = {
        {"empty box", {40, 40}, {40, 40}, QString(), false, 0},
        {"blanks", {40, 40}, {40, 40}, QStringLiteral("   "), false, 0},
        {"shrunk to nothing", {40, 40}, {200, 90}, QStringLiteral("Hi"), true, 0},
        {"typed", {40, 40}, {40, 40}, QStringLiteral("Hi"), false, 1},
        {"typed in a dragged box", {40, 40}, {200, 90}, QStringLiteral("Hi"), false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextToolFixture f;
        const QImage before = SWImageTools::cloneImage(f.picture());
        if (c.from == c.to)
            f.click(c.from);
        else
            f.drag(c.from, c.to);
        ASSERT_TRUE(f.tool->isEditing());
        f.type(c.text);
        if (c.shrunk) {
            const QRectF outline = outlineBox(*f.tool->element());
            f.drag({outline.right(), outline.center().y()}, {outline.left() - 50, outline.center().y()});
            ASSERT_TRUE(f.tool->isEditing());
            EXPECT_EQ(f.tool->textFrameInCanvas().width(), 0) << "never a negative frame";
        }
        f.click({380, 280}); // outside: commits
        EXPECT_TRUE(f.tool->isReady());
        EXPECT_EQ(f.undoSteps(), c.steps);
        EXPECT_EQ(f.picture() == before, c.steps == 0);
        EXPECT_FALSE(f.tool->textView()->isVisible());
        EXPECT_TRUE(f.tool->textView()->string().isEmpty());
        if (c.steps == 1) {
            f.window.document->undoOperation();
            EXPECT_EQ(f.picture(), before) << "one undo removes the text";
        }
    }
}

TEST(KZTextTool, ATextDroppedWithDeleteOrAToolSwitchEnds)
{
    {
        SCOPED_TRACE("switch of tool: committed");
        TextToolFixture f;
        const QImage before = SWImageTools::cloneImage(f.picture());
        f.click({40, 40});
        f.type(QStringLiteral("Hi"));
        f.window.document->toolboxController()->setCurrentTool(QStringLiteral("Brush"));
        EXPECT_NE(f.picture(), before);
        EXPECT_EQ(f.undoSteps(), 1);
        EXPECT_FALSE(f.tool->textView()->isVisible());
    }
    {
        SCOPED_TRACE("delete: dropped");
        TextToolFixture f;
        const QImage before = SWImageTools::cloneImage(f.picture());
        f.click({40, 40});
        f.type(QStringLiteral("Hi"));
        f.tool->deleteKey();
        EXPECT_TRUE(f.tool->isReady());
        EXPECT_EQ(f.picture(), before);
        EXPECT_EQ(f.undoSteps(), 0);
        EXPECT_FALSE(f.tool->textView()->isVisible());
    }
}

// The same text committed with the caret showing, with the whole text
// selected, and with neither: the same pixels, the glyphs in the text's
// colour inside the text view's place.
TEST(KZTextTool, CommittedPixelsHoldTheGlyphsButNoCaretOrSelection)
{
    TextToolFixture f;
    ASSERT_TRUE(f.active) << "the caret shows only in an active window";
    const QImage before = SWImageTools::cloneImage(f.picture());
    enum Shown { Caret, Selection, Neither };
    QImage committed[3];
    QRectF frame;
    for (Shown shown : {Caret, Selection, Neither}) {
        f.click({40, 40});
        f.type(QStringLiteral("Hello"));
        platform::TextView* view = f.tool->textView();
        frame = f.tool->textFrameInCanvas();
        const QImage withCaret = view->grab().toImage();
        if (shown == Selection)
            view->selectAll();
        if (shown == Neither)
            view->clearFocus();
        if (shown == Caret) {
            ASSERT_TRUE(view->hasFocus());
            view->clearFocus();
            EXPECT_NE(view->grab().toImage(), withCaret) << "the view shows the caret while it has the keys";
            view->setFocus();
        }
        f.click({380, 280});
        committed[shown] = SWImageTools::cloneImage(f.picture());
        f.window.document->undoOperation();
        ASSERT_EQ(f.picture(), before);
    }
    EXPECT_EQ(committed[Caret], committed[Neither]);
    EXPECT_EQ(committed[Selection], committed[Neither]);

    const QRect ink = changedArea(before, committed[Neither]);
    ASSERT_FALSE(ink.isEmpty()) << "the glyphs are in the picture";
    EXPECT_TRUE(frame.contains(QRectF(ink))) << "inside the text view's place";
    int notRed = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            if (committed[Neither].pixel(x, y) != before.pixel(x, y) && !isRedTint(committed[Neither].pixel(x, y)))
                ++notRed;
    EXPECT_EQ(notRed, 0) << "only the text's colour";
}

TEST(KZTextTool, FontAndColourPanelsReachTheFocusedText)
{
    TextToolFixture f;
    ASSERT_TRUE(f.active);
    f.click({40, 40});
    f.type(QStringLiteral("Hi"));
    platform::TextView* view = f.tool->textView();
    const QRectF small = f.tool->textFrameInCanvas();
    EXPECT_EQ(platform::FontPanel::shared().selectedFont()->pixelSize(), 20) << "the panel shows the text's font";

    // Picked in the panels, applied to the whole selection and to what
    // comes next; the box grows with the bigger text.
    view->selectAll();
    platform::FontPanel::shared().userDidPickFont(pinnedFont(40));
    platform::ColorPanel::shared().userDidPickColor(QColor(Qt::blue), true);
    EXPECT_EQ(view->textFont().pixelSize(), 40);
    EXPECT_EQ(view->textColor(), QColor(Qt::blue));
    QTextCursor first(view->textDocument());
    first.setPosition(1);
    EXPECT_EQ(first.charFormat().font().pixelSize(), 40);
    EXPECT_EQ(first.charFormat().foreground().color(), QColor(Qt::blue));
    EXPECT_GT(f.tool->textFrameInCanvas().height(), small.height());
    EXPECT_NE(f.window.document->toolboxController()->selectedColor(), QColor(Qt::blue))
        << "the colour went to the text, not the toolbox";

    // The next box opens in the panel's font.
    f.click({380, 280});
    f.click({40, 150});
    EXPECT_EQ(view->textFont().pixelSize(), 40);
    platform::FontPanel::shared().setSelectedFont(pinnedFont());
}

// The text lands where the editor showed it, and on the same canvas pixels
// whatever the zoom.
TEST(KZTextTool, CommittedTextLandsWhereTheEditorShowedItAtEveryZoom)
{
    QRect firstInk;
    for (double level : {1.0, 2.0, 4.0}) {
        SCOPED_TRACE(level);
        TextToolFixture f;
        ASSERT_TRUE(f.active);
        f.window.scrollView()->setScaleFactor(level, true);
        QApplication::processEvents();
        f.click({20.3, 30.6});
        f.type(QStringLiteral("Hello"));
        // What the window shows, without the caret.
        f.tool->textView()->clearFocus();
        QApplication::processEvents();
        const QImage shown = f.window.document->window()->grab().toImage();
        const double ratio = shown.devicePixelRatio();
        std::cout << "device pixel ratio " << ratio << std::endl;
        const QPointF canvasOrigin = f.window.paintView()->mapTo(f.window.document->window(), QPointF(0, 0));
        const double viewScale = f.window.paintView()->viewScale();
        // Only where the picture shows: the ribbon has red swatches of its own.
        QWidget* scroller = f.window.scrollView();
        const QRectF canvasPlace(scroller->mapTo(f.window.document->window(), QPointF(0, 0)), scroller->size());
        QRectF shownInk;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (canvasPlace.contains(QPointF(x, y) / ratio) && isRedInk(shown.pixel(x, y))) {
                    // The device pixel's square, in canvas coordinates.
                    const QPointF c = (QPointF(x, y) / ratio - canvasOrigin) / viewScale;
                    shownInk |= QRectF(c, QSizeF(1, 1) / ratio / viewScale);
                }
        ASSERT_FALSE(shownInk.isEmpty());

        // Committed by a change of tool (a press outside may lie off the
        // window when zoomed in).
        f.window.document->toolboxController()->setCurrentTool(QStringLiteral("Brush"));
        const QRect ink = redInk(f.picture());
        ASSERT_FALSE(ink.isEmpty());
        if (firstInk.isNull())
            firstInk = ink;
        EXPECT_EQ(ink, firstInk) << "the same canvas pixels at every zoom";
        EXPECT_NEAR(shownInk.left(), ink.left(), 1.5);
        EXPECT_NEAR(shownInk.top(), ink.top(), 1.5);
        EXPECT_NEAR(shownInk.right(), ink.right() + 1, 1.5);
        EXPECT_NEAR(shownInk.bottom(), ink.bottom() + 1, 1.5);
    }
}

// The same on a screen with two device pixels per logical pixel: the scale
// is fixed when the application starts, so it runs in a child process.
TEST(KZTextTool, CommittedTextLandsWhereTheEditorShowedItAtTwoDevicePixelsPerPoint)
{
    if (isScaledChild())
        GTEST_SKIP() << "already the child";
    runAtTwoDevicePixelsPerPoint(QStringLiteral("KZTextTool.CommittedTextLandsWhereTheEditorShowedItAtEveryZoom"));
}

TEST(KZTextBuilder, TheDragShowsAPurpleBoxAndNoElementUntilItEnds)
{
    KZGraphicsContext context;
    KZTextBuilder builder(&context);
    EXPECT_TRUE(builder.draw(nullptr).isEmpty());
    builder.handleMouseDown({10, 10}, nullptr);
    builder.handleMouseDragged({60, 40}, nullptr);
    EXPECT_EQ(builder.element(), nullptr);
    QImage overlay(100, 80, QImage::Format_RGBA8888_Premultiplied);
    overlay.fill(Qt::transparent);
    QPainter painter(&overlay);
    const QRectF area = builder.draw(&painter);
    painter.end();
    // The rectangle's bounds (grown by half the line width plus 0.5), grown by 1.
    const double grow = context.lineWidth() / 2 + 0.5 + 1;
    EXPECT_EQ(area, QRectF(10, 10, 50, 30).adjusted(-grow, -grow, grow, grow));
    const QColor top = overlay.pixelColor(30, int(10 - context.lineWidth() / 2 - 0.5));
    EXPECT_GT(top.alpha(), 0);
    EXPECT_EQ(top.green(), 0);
    EXPECT_EQ(top.red(), top.blue()) << "purple";
    builder.handleMouseUp({60, 40}, nullptr);
    const auto box = std::dynamic_pointer_cast<KZTextElement>(builder.element());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->hasCreated());
    EXPECT_EQ(outlineBox(*box), QRectF(10, 10, 50, 30));
    EXPECT_EQ(builder.element(), box) << "one element per finished drag";
}
