#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWSavePanelAccessoryViewController.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/SavePanel.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ImageEncoder.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {
const QString kRecorded = QStringLiteral("SWDocumentRecordedSize");

void endOfEvent()
{
    QCoreApplication::processEvents();
}

// A picture no two pixels of which are alike, so that any misplaced pixel shows.
void paintPattern(SWImageDataSource& store)
{
    QImage& image = store.mainImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor((x * 7) % 256, (y * 13) % 256, (x + y) % 256, 255));
    }
}

class SWDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& defaults = platform::UserDefaults::standard();
        defaults.registerDefaults({{QStringLiteral("UndoLevels"), 128},
                                   {QStringLiteral("FileType"), QStringLiteral("PNG")},
                                   {kRecorded, QStringLiteral("{400, 300}")}});
        defaults.removeValue(kRecorded);
        defaults.removeValue(QStringLiteral("UndoLevels"));
        defaults.removeValue(QStringLiteral("FileType"));
        platform::DocumentController::shared().setQuitsWhenLastDocumentCloses(false);
    }
    void TearDown() override
    {
        platform::SavePanel::setTestChooser({});
        platform::UserDefaults::standard().removeValue(kRecorded);
    }
};
} // namespace

TEST_F(SWDocumentTest, ANewDocumentUsesTheRecordedSizeInSnow)
{
    {
        SWDocument doc;
        ASSERT_NE(doc.dataSource(), nullptr);
        EXPECT_EQ(doc.dataSource()->canvasSize(), QSizeF(400, 300));
        EXPECT_EQ(doc.dataSource()->mainImage().pixelColor(399, 299), QColor(Qt::white));
        EXPECT_EQ(doc.originCanvasSize(), QSizeF(400, 300));
    }
    struct Case {
        const char* stored;
        QSizeF expected;
    } cases[] = {{"{640, 480}", {640, 480}}, {"{0, 0}", {400, 300}}, {"nonsense", {400, 300}},
                 {"{100000, 50}", {400, 300}}, {"{-5, 20}", {400, 300}}};
    for (const Case& c : cases) {
        platform::UserDefaults::standard().setValue(kRecorded, QString::fromLatin1(c.stored));
        SWDocument doc;
        EXPECT_EQ(doc.dataSource()->canvasSize(), c.expected) << c.stored;
    }
}

TEST_F(SWDocumentTest, ClosingRecordsTheSizeOnlyWhenItChangedAndIsReasonable)
{
    struct Case {
        QSizeF resizeTo; // empty: no change
        const char* stored; // nullptr: nothing stored
    } cases[] = {{{}, nullptr}, {{800, 600}, "{800, 600}"}, {{6000, 100}, nullptr}, {{4999, 1}, "{4999, 1}"}};
    for (const Case& c : cases) {
        platform::UserDefaults::standard().setValue(kRecorded, QStringLiteral("{640, 480}"));
        auto* doc = new SWDocument;
        platform::UserDefaults::standard().removeValue(kRecorded);
        if (!c.resizeTo.isEmpty())
            doc->resizeToSize(c.resizeTo, false);
        doc->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto& defaults = platform::UserDefaults::standard();
        if (c.stored)
            EXPECT_EQ(defaults.value(kRecorded).toString(), QString::fromLatin1(c.stored));
        else
            EXPECT_FALSE(defaults.hasStoredValue(kRecorded)) << c.resizeTo.width();
    }
}

TEST_F(SWDocumentTest, EveryPictureCommandUndoesAndRedoesToTheExactPixels)
{
    const std::pair<const char*, std::function<void(SWDocument&)>> commands[] = {
        {"flip horizontal", [](SWDocument& d) { d.flipHorizontal(); }},
        {"flip vertical", [](SWDocument& d) { d.flipVertical(); }},
        {"rotate right", [](SWDocument& d) { d.rotate90R(); }},
        {"rotate left", [](SWDocument& d) { d.rotate90L(); }},
        {"rotate 180", [](SWDocument& d) { d.rotate180(); }},
        {"invert", [](SWDocument& d) { d.invertColors(); }},
        {"resize scaled", [](SWDocument& d) { d.resizeToSize(QSizeF(50, 70), true); }},
        {"resize canvas", [](SWDocument& d) { d.resizeToSize(QSizeF(20, 90), false); }},
        {"crop", [](SWDocument& d) { d.cropToBitmap(d.dataSource()->mainImage().copy(3, 4, 10, 6)); }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        platform::UserDefaults::standard().setValue(kRecorded, QStringLiteral("{30, 20}"));
        SWDocument doc;
        paintPattern(*doc.dataSource());
        const QImage before = doc.dataSource()->mainImage().copy();
        command(doc);
        endOfEvent();
        const QImage after = doc.dataSource()->mainImage().copy();
        ASSERT_NE(after, before);
        EXPECT_EQ(doc.undoManager()->undoCount(), 1);

        doc.undoOperation();
        EXPECT_EQ(doc.dataSource()->canvasSize(), QSizeF(before.size()));
        EXPECT_EQ(doc.dataSource()->mainImage(), before);
        doc.redoOperation();
        EXPECT_EQ(doc.dataSource()->canvasSize(), QSizeF(after.size()));
        EXPECT_EQ(doc.dataSource()->mainImage(), after);
        doc.undoOperation();
        EXPECT_EQ(doc.dataSource()->mainImage(), before);
    }
}

TEST_F(SWDocumentTest, RotationMovesTheTopLeftPixelAndSwapsTheSides)
{
    platform::UserDefaults::standard().setValue(kRecorded, QStringLiteral("{300, 200}"));
    SWDocument doc;
    doc.dataSource()->mainImage().setPixelColor(0, 0, Qt::red);
    doc.rotate90R();
    EXPECT_EQ(doc.dataSource()->canvasSize(), QSizeF(200, 300));
    EXPECT_EQ(doc.dataSource()->mainImage().pixelColor(199, 0), QColor(Qt::red));
    endOfEvent();
    doc.rotate180();
    endOfEvent();
    EXPECT_EQ(doc.dataSource()->mainImage().pixelColor(0, 299), QColor(Qt::red));
    doc.undoOperation(); // the half turn is one step
    EXPECT_EQ(doc.dataSource()->mainImage().pixelColor(199, 0), QColor(Qt::red));
    doc.undoOperation();
    EXPECT_EQ(doc.dataSource()->canvasSize(), QSizeF(300, 200));
    EXPECT_EQ(doc.dataSource()->mainImage().pixelColor(0, 0), QColor(Qt::red));

    // A resize to the current size is no step at all.
    doc.resizeToSize(QSizeF(300, 200), true);
    endOfEvent();
    EXPECT_FALSE(doc.undoManager()->canUndo());
}

TEST_F(SWDocumentTest, TheUndoLimitComesFromTheSettingsAndFollowsTheNotification)
{
    platform::UserDefaults::standard().setValue(QStringLiteral("UndoLevels"), 2);
    platform::UserDefaults::standard().setValue(kRecorded, QStringLiteral("{10, 10}"));
    SWDocument doc;
    doc.makeWindowControllers(); // observers are registered with the window
    for (int i = 0; i < 3; ++i) {
        doc.invertColors();
        endOfEvent();
    }
    EXPECT_EQ(doc.undoManager()->undoCount(), 2);
    doc.undoOperation();
    doc.undoOperation();
    EXPECT_FALSE(doc.undoManager()->canUndo());

    platform::NotificationCenter::defaultCenter().post(QStringLiteral("UndoLevels"), nullptr, {}, 5);
    EXPECT_EQ(doc.undoManager()->levelsOfUndo(), 5);
    platform::UserDefaults::standard().removeValue(QStringLiteral("UndoLevels"));
}

TEST_F(SWDocumentTest, EachTypeIsWrittenByItsOwnEncoder)
{
    platform::UserDefaults::standard().setValue(kRecorded, QStringLiteral("{16, 8}"));
    SWDocument doc;
    struct Case {
        const char* type;
        const char* format;
    } cases[] = {{"png", "png"}, {"jpg", "jpeg"}, {"jpeg", "jpeg"}, {"JPEG", "jpeg"}, {"bmp", "bmp"},
                 {"gif", "gif"}, {"tif", "tiff"}, {"tiff", "tiff"}, {"xyz", "png"}, {"", "png"}};
    for (const Case& c : cases) {
        QString error;
        QByteArray bytes = doc.dataOfType(QString::fromLatin1(c.type), &error);
        ASSERT_FALSE(bytes.isEmpty()) << c.type << error.toStdString();
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        EXPECT_EQ(reader.format(), QByteArray(c.format)) << c.type;
        EXPECT_EQ(reader.size(), QSize(16, 8)) << c.type;
    }
}

TEST_F(SWDocumentTest, APlainSaveOfAJpegUsesTheDefaultQuality)
{
    platform::UserDefaults::standard().setValue(kRecorded, QStringLiteral("{64, 64}"));
    SWDocument doc;
    paintPattern(*doc.dataSource());
    const QImage& image = doc.dataSource()->mainImage();
    const double ratio = doc.dataSource()->pixelPerPoint();
    const QByteArray written = doc.dataOfType(QStringLiteral("jpg"), nullptr);
    EXPECT_EQ(written, platform::ImageEncoder::encode(image, QStringLiteral("jpg"), 0.8, ratio));
    EXPECT_NE(written, platform::ImageEncoder::encode(image, QStringLiteral("jpg"), 0.0, ratio));
}

TEST_F(SWDocumentTest, AFileThatDoesNotDecodeIsAFailureAndTheCanvasStays)
{
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.png"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\nthis is not the rest of a PNG");
    file.close();
    SWDocument doc;
    paintPattern(*doc.dataSource());
    const QImage before = doc.dataSource()->mainImage().copy();
    QString error;
    EXPECT_FALSE(doc.readFromFile(bad, QStringLiteral("png"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(doc.dataSource()->mainImage(), before);

    const QString good = dir.filePath(QStringLiteral("good.png"));
    QImage picture(33, 22, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixelColor(0, 0, Qt::red);
    ASSERT_TRUE(picture.save(good));
    EXPECT_TRUE(doc.readFromFile(good, QStringLiteral("png"), &error));
    EXPECT_EQ(doc.dataSource()->canvasSize(), QSizeF(33, 22));
    EXPECT_EQ(doc.originCanvasSize(), QSizeF(33, 22));
    EXPECT_EQ(doc.dataSource()->mainImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(doc.dataSource()->mainImage().pixelColor(1, 0).alpha(), 0);
}

TEST_F(SWDocumentTest, TheSavePanelOffersTheSettingsTypeAndFollowsTheAccessory)
{
    platform::UserDefaults::standard().setValue(QStringLiteral("FileType"), QStringLiteral("JPEG"));
    SWDocument doc;
    platform::SavePanel panel;
    ASSERT_TRUE(doc.prepareSavePanel(panel));
    EXPECT_EQ(panel.allowedFileTypes(), QStringList{QStringLiteral("jpg")});
    EXPECT_EQ(doc.fileTypeFromLastRunSavePanel(), QStringLiteral("jpg"));
    SWSavePanelAccessoryViewController* accessory = doc.savePanelAccessoryViewController();
    ASSERT_NE(accessory, nullptr);
    EXPECT_EQ(panel.accessoryView(), accessory->view());
    EXPECT_FALSE(accessory->jpegView()->isHidden());
    EXPECT_DOUBLE_EQ(accessory->imageQuality(), 0.8);

    accessory->fileTypeButton()->setCurrentText(QStringLiteral("TIFF"));
    accessory->fileTypeDidChange();
    EXPECT_EQ(doc.fileTypeFromLastRunSavePanel(), QStringLiteral("tif"));
    EXPECT_EQ(panel.allowedFileTypes(), QStringList{QStringLiteral("tif")});
    EXPECT_TRUE(accessory->jpegView()->isHidden());

    // The next panel starts afresh: quality back to 0.8.
    accessory->setImageQuality(0.3);
    platform::SavePanel second;
    doc.prepareSavePanel(second);
    EXPECT_DOUBLE_EQ(doc.savePanelAccessoryViewController()->imageQuality(), 0.8);
    platform::UserDefaults::standard().removeValue(QStringLiteral("FileType"));
}

TEST_F(SWDocumentTest, SaveAsWritesTheChosenTypeAndNamesTheDocument)
{
    QTemporaryDir dir;
    platform::UserDefaults::standard().setValue(QStringLiteral("FileType"), QStringLiteral("BMP"));
    SWDocument doc;
    platform::SavePanel::setTestChooser([&dir](platform::SavePanel&) { return dir.filePath(QStringLiteral("pic")); });
    ASSERT_TRUE(doc.saveDocumentAs());
    EXPECT_EQ(doc.filePath(), dir.filePath(QStringLiteral("pic.bmp")));
    EXPECT_EQ(doc.fileType(), QStringLiteral("bmp"));
    EXPECT_EQ(QImageReader(doc.filePath()).format(), QByteArray("bmp"));
    platform::UserDefaults::standard().removeValue(QStringLiteral("FileType"));
}

// A name typed with the extension of one of the five types chooses that type,
// whatever the pop-up or the preference said: the pop-up follows it and the
// data matches the name.
TEST_F(SWDocumentTest, SaveAsTakesTheTypeFromTheExtensionTyped)
{
    struct Case {
        const char* preference;
        const char* typed;
        const char* type;
        const char* title;
        QByteArray format;
    } cases[] = {{"PNG", "copy.jpg", "jpg", "JPEG", "jpeg"}, {"JPEG", "x.png", "png", "PNG", "png"},
                 {"PNG", "y.jpeg", "jpg", "JPEG", "jpeg"},  {"GIF", "z.TIFF", "tif", "TIFF", "tiff"},
                 {"TIFF", "w.bmp", "bmp", "BMP", "bmp"},    {"BMP", "v.gif", "gif", "GIF", "gif"},
                 {"JPEG", "plain", "jpg", "JPEG", "jpeg"},   {"PNG", "notes.txt", "png", "PNG", "png"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QTemporaryDir dir;
        platform::UserDefaults::standard().setValue(QStringLiteral("FileType"), QString::fromLatin1(c.preference));
        SWDocument doc;
        platform::SavePanel::setTestChooser([&](platform::SavePanel&) { return dir.filePath(QString::fromLatin1(c.typed)); });
        ASSERT_TRUE(doc.saveDocumentAs());
        const QString typed = dir.filePath(QString::fromLatin1(c.typed));
        const QString expected = QFileInfo(typed).suffix().isEmpty() || QString::fromLatin1(c.typed) == "notes.txt"
                                     ? typed + QLatin1Char('.') + QString::fromLatin1(c.type)
                                     : typed;
        EXPECT_EQ(doc.filePath(), expected);
        EXPECT_EQ(doc.fileType(), QString::fromLatin1(c.type));
        EXPECT_EQ(QImageReader(doc.filePath()).format(), c.format);
        ASSERT_NE(doc.savePanelAccessoryViewController(), nullptr);
        EXPECT_EQ(doc.savePanelAccessoryViewController()->fileTypeButton()->currentText(), QString::fromLatin1(c.title));
        EXPECT_EQ(doc.fileTypeFromLastRunSavePanel(), QString::fromLatin1(c.type));
    }
    platform::UserDefaults::standard().removeValue(QStringLiteral("FileType"));
}

TEST_F(SWDocumentTest, ADocumentFromTheClipboardNeedsAReadablePicture)
{
    auto& pb = platform::Pasteboard::general();
    pb.setData(QByteArray("\x89PNG\r\n\x1a\nbroken"), platform::Pasteboard::pngType());
    EXPECT_EQ(SWDocument::initFromPasteboard(), nullptr);

    QImage picture(12, 34, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    pb.writeImage(picture);
    std::unique_ptr<SWDocument> doc(SWDocument::initFromPasteboard());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->dataSource()->canvasSize(), QSizeF(12, 34));
    EXPECT_EQ(doc->originCanvasSize(), QSizeF(12, 34));
    pb.clearContents();
}
