// The document's commands while an element is placed over the canvas: a
// shape under edit or a floating selection. What they must produce is
// checked against the picture itself (the pixels a selection lifted, the
// pixels a committed shape left), never against the element's own rendering.
#include "KZGraphicElement.h"
#include "KZOrbStyleToolPanelItem.h"
#include "KZPopupPanel.h"
#include "KZToolboxPanel.h"
#include "KZViewPanelController.h"
#include "KZGraphicTool.h"
#include "KZGraphicsContext.h"
#include "KZRectangleSelectionTool.h"
#include "KZShapeTool.h"
#include "KZToolboxController.h"
#include "SWImageTools.h"
#include "SWMainMenu.h"
#include "support/DocumentWindowFixture.h"

#include "platform/appkit/Alert.h"
#include "platform/appkit/Beep.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/SavePanel.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/UserDefaults.h"

#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QColor kStroke(200, 30, 40);
const QColor kFill(20, 90, 220);

// A document with the rectangle selection and the rectangle shape tools, a
// picture in which every pixel differs from its neighbours, and anti-aliasing
// off so every drawn pixel is opaque.
struct PlacedElementFixture {
    PlacedElementFixture()
        : window({"Brush"})
    {
        platform::UserDefaults::standard().setValue(QStringLiteral("AllowAntialias"), false);
        d = window.document;
        std::vector<SWToolbox::ToolClass> classes = recordingToolClasses({"Brush"});
        classes.push_back({"KZRectangleSelectionTool", [](KZToolboxController* c) -> std::unique_ptr<SWTool> {
                               return std::make_unique<KZRectangleSelectionTool>(c);
                           }});
        classes.push_back({"KZrectangleToolE", [](KZToolboxController* c) -> std::unique_ptr<SWTool> {
                               return KZShapeTool::toolWithKind(c, QStringLiteral("rectangle"));
                           }});
        d->setToolbox(std::make_unique<SWToolbox>(d, d->toolboxController(), classes));
        controller()->setBackgroundColor(Qt::white);
        paintPattern();
        QApplication::processEvents();
    }

    void paintPattern()
    {
        QImage& main = d->dataSource()->mainImage();
        for (int y = 0; y < main.height(); ++y)
            for (int x = 0; x < main.width(); ++x)
                main.setPixelColor(x, y, QColor((x * 7) & 255, (y * 3) & 255, (x ^ y) & 255));
        original = main.copy();
    }

    KZToolboxController* controller() const { return d->toolboxController(); }
    KZGraphicTool* tool() const { return dynamic_cast<KZGraphicTool*>(d->toolbox()->currentTool()); }
    QImage& picture() const { return d->dataSource()->mainImage(); }

    void press(const QPointF& p) { window.mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void dragTo(const QPointF& p) { window.mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void release(const QPointF& p)
    {
        window.mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        QApplication::processEvents(); // closes the undo group of the event
    }
    void drag(const QPointF& from, const QPointF& to)
    {
        press(from);
        dragTo((from + to) / 2);
        dragTo(to);
        release(to);
    }

    // Lifts the rectangle [from, to) of the picture with the selection tool.
    void lift(const QRect& area)
    {
        controller()->setCurrentTool(QStringLiteral("rectangle selection"));
        drag(area.topLeft(), area.topLeft() + QPoint(area.width(), area.height()));
    }
    // Places a filled and stroked rectangle shape over the box.
    void placeShape(const QRect& box)
    {
        controller()->setForegroundColor(kStroke);
        controller()->setBackgroundColor(kFill);
        controller()->setLineWidth(3);
        controller()->setFillStyle(KZToolboxController::FillBit | KZToolboxController::StrokeBit);
        controller()->setCurrentTool(QStringLiteral("rectangle"));
        drag(box.topLeft(), box.topLeft() + QPoint(box.width(), box.height()));
    }

    SWDocument* d = nullptr;
    DocumentWindowFixture window;
    QImage original;
};

bool enabled(SWDocument* document, const char* action)
{
    platform::MenuItem item(QStringLiteral("x"), QString::fromLatin1(action));
    return document->validateMenuItem(&item);
}

// The clipboard's TIFF bytes, decoded by the image reader itself.
QImage clipboardTiff()
{
    QByteArray bytes = platform::Pasteboard::general().dataForType(platform::Pasteboard::tiffType());
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "tiff");
    return reader.read().convertToFormat(QImage::Format_RGBA8888);
}

// The first pixel where two pictures differ, as text; empty when equal.
QString firstDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    const QImage a = actual.convertToFormat(QImage::Format_RGBA8888);
    const QImage e = expected.convertToFormat(QImage::Format_RGBA8888);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != e.pixel(x, y))
                return QStringLiteral("(%1, %2): %3, expected %4")
                    .arg(x).arg(y).arg(a.pixel(x, y), 8, 16).arg(e.pixel(x, y), 8, 16);
    return {};
}

// What a placed element must put on the clipboard, taken from the picture:
// for a selection the pixels it lifted, for a shape the pixels its commit
// leaves on a transparent picture.
struct CopyCase {
    const char* name;
    std::function<void(PlacedElementFixture&)> place;
    std::function<QImage(PlacedElementFixture&)> expected;
};

const QRect kArea(40, 30, 50, 40);

const CopyCase kCopyCases[] = {
    {"floating selection", [](PlacedElementFixture& f) { f.lift(kArea); },
     [](PlacedElementFixture& f) { return f.original.copy(kArea); }},
    {"placed shape",
     [](PlacedElementFixture& f) {
         f.picture().fill(Qt::transparent);
         f.placeShape(kArea);
     },
     [](PlacedElementFixture& f) {
         const QRect bounds = f.tool()->element()->bounds().toAlignedRect();
         f.d->toolbox()->tieUpLooseEndsForCurrentTool();
         return f.picture().copy(bounds);
     }},
};

} // namespace

TEST(PlacedElementCommands, CopyPutsExactlyThePlacedPixelsOnTheClipboard)
{
    for (const CopyCase& c : kCopyCases) {
        SCOPED_TRACE(c.name);
        PlacedElementFixture f;
        platform::Pasteboard::general().writeText(QStringLiteral("before"));
        c.place(f);
        ASSERT_TRUE(enabled(f.d, "copy:"));
        f.d->copy();
        const QImage copied = clipboardTiff();
        EXPECT_EQ(firstDifference(copied, c.expected(f)), QString());
    }
}

TEST(PlacedElementCommands, CutCopiesThenDropsTheElement)
{
    for (const CopyCase& c : kCopyCases) {
        SCOPED_TRACE(c.name);
        // The same element placed in a second document gives what the
        // clipboard must hold.
        QImage expected;
        {
            PlacedElementFixture twin;
            c.place(twin);
            expected = c.expected(twin);
        }
        PlacedElementFixture f;
        c.place(f);
        const QImage before = f.picture().copy();
        ASSERT_TRUE(enabled(f.d, "cut:"));
        f.d->cut();
        QApplication::processEvents();
        EXPECT_FALSE(enabled(f.d, "cut:")) << "nothing is placed any more";
        EXPECT_EQ(f.tool() ? f.tool()->element() : nullptr, nullptr);
        // Nothing was committed: the picture is as it was with the element
        // placed (a lifted area stays in the back colour).
        EXPECT_EQ(firstDifference(f.picture(), before), QString());
        EXPECT_EQ(firstDifference(clipboardTiff(), expected), QString());
    }
}

TEST(PlacedElementCommands, CropKeepsExactlyTheElementsPixelsAndOneUndoRestoresThePicture)
{
    PlacedElementFixture f;
    f.lift(kArea);
    // Moved by the keyboard before the crop: the selection is committed at its
    // new place first, and the undo returns to that picture.
    f.window.key(Qt::Key_Right);
    f.window.key(Qt::Key_Down);
    QApplication::processEvents();
    const QSize canvas = f.picture().size();
    ASSERT_TRUE(enabled(f.d, "crop:"));
    f.d->crop();
    QApplication::processEvents();
    EXPECT_EQ(firstDifference(f.picture(), f.original.copy(kArea)), QString());

    // The picture just before the crop: the lifted area in white, the
    // selection committed one pixel right and down.
    QImage committed = f.original.copy();
    for (int y = kArea.top(); y <= kArea.bottom(); ++y)
        for (int x = kArea.left(); x <= kArea.right(); ++x)
            committed.setPixelColor(x, y, Qt::white);
    for (int y = 0; y < kArea.height(); ++y)
        for (int x = 0; x < kArea.width(); ++x)
            committed.setPixelColor(kArea.left() + 1 + x, kArea.top() + 1 + y,
                                    f.original.pixelColor(kArea.left() + x, kArea.top() + y));
    f.d->undoOperation();
    QApplication::processEvents();
    EXPECT_EQ(f.picture().size(), canvas);
    EXPECT_EQ(firstDifference(f.picture(), committed), QString());
}

TEST(PlacedElementCommands, SavingCommitsThePlacedShapeIntoTheFile)
{
    PlacedElementFixture f;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(f.d->writeToFile(path, QStringLiteral("png"), nullptr));
    f.d->setFilePath(path);
    f.d->setFileType(QStringLiteral("png"));
    f.picture().fill(Qt::transparent);
    f.placeShape(kArea);
    const QRect bounds = f.tool()->element()->bounds().toAlignedRect();
    ASSERT_TRUE(f.d->saveDocument());
    EXPECT_EQ(f.tool()->element(), nullptr) << "the shape went into the picture";

    QImageReader reader(path, "png");
    const QImage saved = reader.read();
    ASSERT_FALSE(saved.isNull()) << reader.errorString().toStdString();
    // The shape's corner is its stroke, its middle its fill.
    EXPECT_EQ(saved.pixelColor(bounds.topLeft() + QPoint(1, 1)).rgb(), kStroke.rgb());
    EXPECT_EQ(saved.pixelColor(bounds.center()).rgb(), kFill.rgb());
    EXPECT_EQ(firstDifference(saved, f.picture()), QString());
}

TEST(PlacedElementCommands, ClosingWithAFloatingSelectionAsksToSave)
{
    PlacedElementFixture f;
    QStringList asked;
    platform::Alert::setTestResponder([&asked](const platform::Alert& alert) {
        asked << alert.messageText();
        return platform::Alert::ThirdButton; // Cancel
    });
    f.d->updateChangeCount(platform::Document::ChangeCleared);
    f.lift(kArea);
    EXPECT_FALSE(f.d->performClose());
    platform::Alert::setTestResponder(nullptr);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.front().startsWith(QStringLiteral("Do you want to save the changes")));
    EXPECT_EQ(f.tool()->element(), nullptr) << "the selection was committed before the question";
}

TEST(PlacedElementCommands, AnArrowKeyDrawsAFloatingSelectionOnlyForItsOwnRedraw)
{
    PlacedElementFixture f;
    platform::DocumentWindow* window = f.d->window();
    window->setMenuBar(SWMainMenu::build(window));
    f.d->dataSource()->resizeToSize(QSizeF(4000, 3000), false);
    f.d->selectAll();
    QApplication::processEvents();
    const std::shared_ptr<KZGraphicElement> floating = f.tool()->element();
    ASSERT_TRUE(floating);
    ASSERT_EQ(floating->size(), QSizeF(4000, 3000));
    window->activateWindow();
    f.window.overlay()->setFocus();
    const QPointF start = floating->position();

    // The nudge's own redraw: the key straight to the canvas, with no menu
    // validation on its way.
    quint64 before = KZGraphicsContext::elementDrawCount();
    f.window.key(Qt::Key_Right);
    const quint64 ownRedraw = KZGraphicsContext::elementDrawCount() - before;
    EXPECT_EQ(ownRedraw, 1u) << "one drawing into the buffer";
    ASSERT_EQ(floating->position(), start + QPointF(1, 0));

    // A key press as the window delivers it: offered as a shortcut to every
    // view from the canvas up to the window (where the menu bar is
    // validated), then pressed.
    platform::MenuItem* copyItem = nullptr;
    for (QAction* menu : window->menuBar()->actions())
        for (QAction* action : menu->menu() ? menu->menu()->actions() : QList<QAction*>())
            if (auto* item = qobject_cast<platform::MenuItem*>(action); item && item->actionName() == "copy:")
                copyItem = item;
    ASSERT_NE(copyItem, nullptr);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left}) {
        copyItem->setEnabled(false);
        before = KZGraphicsContext::elementDrawCount();
        QKeyEvent override(QEvent::ShortcutOverride, key, Qt::NoModifier);
        QApplication::sendEvent(f.window.overlay(), &override);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(f.window.overlay(), &press);
        EXPECT_EQ(KZGraphicsContext::elementDrawCount() - before, ownRedraw) << "key " << key;
        EXPECT_TRUE(copyItem->isEnabled()) << "the key press validated the menu bar";
    }
    EXPECT_EQ(floating->position(), start + QPointF(1, 1));
}

TEST(PlacedElementCommands, PictureCommandsCloseThePopUpPanels)
{
    const struct {
        const char* name;
        std::function<void(SWDocument*)> run;
    } commands[] = {
        {"flip horizontal", [](SWDocument* d) { d->flipHorizontal(); }},
        {"flip vertical", [](SWDocument* d) { d->flipVertical(); }},
        {"rotate right", [](SWDocument* d) { d->rotate90R(); }},
        {"rotate left", [](SWDocument* d) { d->rotate90L(); }},
        {"rotate 180", [](SWDocument* d) { d->rotate180(); }},
        {"crop", [](SWDocument* d) { d->crop(); }},
    };
    const struct {
        const char* name;
        std::function<KZOrbStyleToolPanelItem*(SWDocument*)> item;
    } panels[] = {
        {"view panel", [](SWDocument* d) { return d->viewPanelController()->scaleItem(); }},
        {"tool panel", [](SWDocument* d) { return d->toolPanel()->sizePanelItem(); }},
    };
    for (const auto& command : commands) {
        for (const auto& panel : panels) {
            SCOPED_TRACE(std::string(command.name) + " / " + panel.name);
            PlacedElementFixture f;
            f.lift(kArea);
            KZOrbStyleToolPanelItem* item = panel.item(f.d);
            ASSERT_NE(item, nullptr);
            // A group shrunk to its drop-down button shows its controls in
            // the pop-up panel.
            if (!item->switchToMode(KZOrbStyleToolPanelItem::kCompact))
                ASSERT_TRUE(item->orderInDropDownButton());
            item->raisePanel();
            ASSERT_TRUE(QTest::qWaitFor([&] { return item->popupPanel()->isVisible(); }, 10000));
            command.run(f.d);
            EXPECT_FALSE(item->popupPanel()->isVisible());
        }
    }
}

TEST(PlacedElementCommands, ACropTheCanvasCannotTakeChangesNothingAndSaysWhy)
{
    PlacedElementFixture f;
    QStringList told;
    platform::Alert::setTestResponder([&told](const platform::Alert& alert) {
        told << alert.messageText() + QStringLiteral(" ") + alert.informativeText();
        return platform::Alert::FirstButton;
    });
    const int steps = f.d->undoManager()->undoCount();
    const QImage before = f.picture().copy();
    const int beeps = platform::Beep::count();
    // Wider than any canvas side may be.
    const QImage tooWide(40000, 1, QImage::Format_RGBA8888_Premultiplied);
    ASSERT_FALSE(tooWide.isNull());
    EXPECT_FALSE(f.d->cropToBitmap(tooWide));
    QApplication::processEvents();
    platform::Alert::setTestResponder(nullptr);
    EXPECT_EQ(f.d->undoManager()->undoCount(), steps) << "no step that would restore nothing";
    EXPECT_EQ(firstDifference(f.picture(), before), QString());
    EXPECT_EQ(platform::Beep::count(), beeps + 1);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.front().contains(QStringLiteral("at most 32767 pixels"))) << told.front().toStdString();
}
