#include "SWAppController.h"
#include "SWSizeWindowController.h"
#include "support/DocumentWindowFixture.h"

#include "platform/appkit/Beep.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/Sheet.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/UserDefaults.h"

#include <QStandardItemModel>
#include <gtest/gtest.h>

namespace {
bool itemEnabled(QComboBox* box, int item)
{
    auto* model = qobject_cast<QStandardItemModel*>(box->model());
    return model && model->item(item) && model->item(item)->isEnabled();
}

class SizeSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& defaults = platform::UserDefaults::standard();
        defaults.registerDefaults({{QStringLiteral("HorizontalSize"), 640}, {QStringLiteral("VerticalSize"), 480}});
        defaults.removeValue(QStringLiteral("HorizontalSize"));
        defaults.removeValue(QStringLiteral("VerticalSize"));
    }
    void TearDown() override
    {
        platform::UserDefaults::standard().removeValue(QStringLiteral("HorizontalSize"));
        platform::UserDefaults::standard().removeValue(QStringLiteral("VerticalSize"));
        platform::Pasteboard::general().clearContents();
    }
};
} // namespace

TEST_F(SizeSheetTest, ThePopUpFollowsTheFieldsAndThePresetsFillThem)
{
    SWSizeWindowController sheet;
    sheet.window();
    // Opened with the defaults, which are a preset.
    EXPECT_EQ(sheet.width(), 640);
    EXPECT_EQ(sheet.height(), 480);
    EXPECT_EQ(sheet.sizeButton()->currentIndex(), SWSizeWindowController::Preset640x480Item);
    // Titles come from the strings table.
    EXPECT_EQ(sheet.sizeButton()->itemText(SWSizeWindowController::Preset800x600Item), QStringLiteral("800 × 600"));
    EXPECT_EQ(sheet.sizeButton()->itemText(SWSizeWindowController::FromPasteboardItem), "From Clipboard");

    sheet.widthField()->setText("800");
    sheet.heightField()->setText("600");
    EXPECT_EQ(sheet.sizeButton()->currentIndex(), SWSizeWindowController::Preset800x600Item);
    sheet.heightField()->setText("601");
    EXPECT_EQ(sheet.sizeButton()->currentIndex(), SWSizeWindowController::CustomItem);

    const struct {
        int item;
        QSize size;
    } presets[] = {{3, {640, 480}}, {4, {800, 600}}, {5, {1024, 768}}, {6, {1280, 1024}}};
    for (const auto& p : presets) {
        sheet.changeSizeButton(p.item);
        EXPECT_EQ(QSize(sheet.width(), sheet.height()), p.size);
        EXPECT_EQ(sheet.sizeButton()->currentIndex(), p.item);
    }
    // Custom and the separator change nothing.
    sheet.changeSizeButton(SWSizeWindowController::CustomItem);
    EXPECT_EQ(QSize(sheet.width(), sheet.height()), QSize(1280, 1024));
}

TEST_F(SizeSheetTest, FromPasteboardTakesTheClipboardPicturesSizeWhenThereIsOne)
{
    SWSizeWindowController sheet;
    sheet.window();
    platform::Pasteboard::general().writeText(QStringLiteral("words"));
    sheet.validateSizeButton();
    EXPECT_FALSE(sheet.validateMenuItem(SWSizeWindowController::FromPasteboardItem));
    EXPECT_FALSE(itemEnabled(sheet.sizeButton(), SWSizeWindowController::FromPasteboardItem));
    EXPECT_TRUE(itemEnabled(sheet.sizeButton(), SWSizeWindowController::CustomItem));
    sheet.changeSizeButton(SWSizeWindowController::FromPasteboardItem);
    EXPECT_EQ(QSize(sheet.width(), sheet.height()), QSize(640, 480));

    QImage picture(123, 45, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    platform::Pasteboard::general().writeImage(picture);
    QApplication::processEvents();
    EXPECT_TRUE(itemEnabled(sheet.sizeButton(), SWSizeWindowController::FromPasteboardItem));
    sheet.changeSizeButton(SWSizeWindowController::FromPasteboardItem);
    EXPECT_EQ(QSize(sheet.width(), sheet.height()), QSize(123, 45));
    EXPECT_EQ(sheet.sizeButton()->currentIndex(), SWSizeWindowController::CustomItem);
}

TEST_F(SizeSheetTest, OkRefusesUnusableSizesAndStoresAGoodOneForTheNextSheet)
{
    QWidget window;
    window.show();
    SWSizeWindowController sheet;
    std::vector<int> codes;
    sheet.beginSheet(&window, [&codes](int code) { codes.push_back(code); });
    EXPECT_EQ(sheet.window()->property("windowControllerClass").toString(), "SWSizeWindowController");
    // Each refusal also says why, and the values typed stay.
    const struct {
        const char* width;
        const char* height;
        const char* why;
    } refused[] = {{"0", "480", "1 pixel"}, {"640", "", "1 pixel"}, {"40000", "10", "32767"}, {"20000", "20000", "16384 x 16384"}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.width);
        const int beeps = platform::Beep::count();
        sheet.widthField()->setText(QString::fromLatin1(r.width));
        sheet.heightField()->setText(QString::fromLatin1(r.height));
        sheet.endSheet(1);
        EXPECT_EQ(platform::Beep::count(), beeps + 1);
        EXPECT_TRUE(sheet.window()->isVisible());
        EXPECT_TRUE(codes.empty());
        EXPECT_TRUE(sheet.refusalMessage().contains(QString::fromLatin1(r.why))) << sheet.refusalMessage().toStdString();
        EXPECT_EQ(sheet.widthField()->text(), QString::fromLatin1(r.width));
        EXPECT_EQ(sheet.heightField()->text(), QString::fromLatin1(r.height));
    }
    sheet.widthField()->setText("1024");
    sheet.heightField()->setText("768");
    sheet.endSheet(1);
    EXPECT_EQ(codes, std::vector<int>{1});
    EXPECT_TRUE(sheet.refusalMessage().isEmpty());
    EXPECT_FALSE(sheet.window()->isVisible());

    SWSizeWindowController next;
    EXPECT_EQ(QSize(next.width(), next.height()), QSize(0, 0)); // nothing read before the window loads
    next.window();
    EXPECT_EQ(QSize(next.width(), next.height()), QSize(1024, 768));
    next.beginSheet(&window, [&codes](int code) { codes.push_back(code); });
    next.endSheet(0);
    EXPECT_EQ(codes, (std::vector<int>{1, 0}));
}

TEST_F(SizeSheetTest, TheChosenSizeReplacesTheCanvasWithoutAnUndoStep)
{
    DocumentWindowFixture f;
    SWImageDataSource* store = f.document->dataSource();
    f.document->raiseSizeSheet();
    SWSizeWindowController* sheet = f.document->sizeController();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->window()->isVisible());
    EXPECT_TRUE(platform::Sheet::isSheet(sheet->window()));
    sheet->changeSizeButton(SWSizeWindowController::Preset800x600Item);
    sheet->endSheet(1);
    QApplication::processEvents();
    EXPECT_EQ(f.document->dataSource(), store); // the same store, set up anew
    EXPECT_EQ(store->canvasSize(), QSizeF(800, 600));
    EXPECT_EQ(f.paintView()->frame(), QRectF(0, 0, 800, 600));
    EXPECT_EQ(store->mainImage().pixelColor(799, 599).alpha(), 255);
    EXPECT_FALSE(f.document->undoManager()->canUndo());
    EXPECT_EQ(platform::UserDefaults::standard().integer(QStringLiteral("HorizontalSize")), 800);
}

TEST_F(SizeSheetTest, CancelOrQuitClosesTheNewDocumentsWindow)
{
    platform::DocumentController::shared().setQuitsWhenLastDocumentCloses(false);
    for (bool byQuit : {false, true}) {
        SCOPED_TRACE(byQuit ? "killTheSheet" : "Cancel");
        QPointer<SWDocument> document = new SWDocument;
        platform::DocumentController::shared().addDocument(document);
        document->makeWindowControllers();
        document->showWindows();
        document->raiseSizeSheet();
        ASSERT_TRUE(document->sizeController()->window()->isVisible());
        if (byQuit) {
            SWAppController controller;
            controller.killTheSheet();
        } else {
            document->sizeController()->endSheet(0);
        }
        for (int i = 0; i < 5 && document; ++i) {
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        EXPECT_TRUE(document.isNull());
    }
}
