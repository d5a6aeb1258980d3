// A picture opened while its window comes up: the canvas has the picture's
// size at once and its pixels when the decode ends; nothing acts on the
// canvas before them.
#include "TestMain.h"
#include "EventLoopWait.h"

#include "SWDocument.h"
#include "SWImageDataSource.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ImageFileLoader.h"
#include "SamePixels.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

// Distinct neighbours and some transparency, written by Qt's own writer;
// large enough that decoding it takes a while.
QString writePicture(const QTemporaryDir& dir, QSize size)
{
    QImage picture(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            row[x] = qRgba((x * 7) % 256, (y * 13) % 256, (x ^ y) % 256, (x + y) % 5 ? 255 : 0);
    }
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    EXPECT_TRUE(picture.save(path));
    return path;
}

// What Qt alone makes of the file, in the canvas format.
QImage independentlyDecoded(const QString& path)
{
    return QImage(path).convertToFormat(platform::CanvasBitmap::Format);
}

class OpeningTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::UserDefaults::standard().registerDefaults({{QStringLiteral("UndoLevels"), 128}});
        platform::DocumentController::shared().setQuitsWhenLastDocumentCloses(false);
    }
    // Starts reading the picture into a new document, and counts how the
    // read ends.
    SWDocument* open(const QString& path)
    {
        auto* doc = new SWDocument;
        QObject::connect(doc, &platform::Document::readingFinished, doc, [this](bool ok, const QString& error) {
            ++finished;
            finishedOk = ok;
            finishedError = error;
        });
        QString error;
        EXPECT_TRUE(doc->beginReadingFromFile(path, QStringLiteral("png"), &error)) << error.toStdString();
        return doc;
    }
    void TearDown() override
    {
        platform::DocumentController::shared().closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTemporaryDir dir;
    int finished = 0;
    bool finishedOk = false;
    QString finishedError;
};

} // namespace

TEST_F(OpeningTest, TheCanvasHasThePicturesSizeAtOnceAndItsPixelsWhenTheyArrive)
{
    const QString path = writePicture(dir, QSize(900, 700));
    std::unique_ptr<SWDocument> doc(open(path));
    // The window is laid out by the header's size while the pixels come.
    EXPECT_EQ(doc->dataSource()->canvasSize(), QSizeF(900, 700));
    EXPECT_EQ(doc->originCanvasSize(), QSizeF(900, 700));
    ASSERT_TRUE(processEventsUntil([&] { return finished > 0; }));
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(finishedOk) << finishedError.toStdString();
    EXPECT_FALSE(doc->isReading());
    EXPECT_TRUE(samePixels(doc->dataSource()->mainImage(), independentlyDecoded(path)));
    // The resolution too is what a read of the whole file at once gives.
    EXPECT_DOUBLE_EQ(doc->dataSource()->pixelPerPoint(), SWImageDataSource::fromFile(path, Qt::white)->pixelPerPoint());
    EXPECT_FALSE(doc->undoManager()->canUndo());
    EXPECT_FALSE(doc->isDocumentEdited());
}

// Saving, and any change (which records the picture of before as its undo
// step), first waits for the pixels: nothing sees the empty canvas.
TEST_F(OpeningTest, SavingAndChangingWaitForThePicture)
{
    const QString path = writePicture(dir, QSize(900, 700));
    const QImage expected = independentlyDecoded(path);
    {
        std::unique_ptr<SWDocument> doc(open(path));
        QString error;
        const QByteArray written = doc->dataOfType(QStringLiteral("png"), &error);
        EXPECT_FALSE(doc->isReading());
        EXPECT_TRUE(samePixels(QImage::fromData(written).convertToFormat(platform::CanvasBitmap::Format), expected));
    }
    {
        std::unique_ptr<SWDocument> doc(open(path));
        doc->handleUndoWithImageData();
        EXPECT_FALSE(doc->isReading());
        doc->dataSource()->mainImage().fill(0xff000000u);
        doc->undoManager()->undo();
        EXPECT_TRUE(samePixels(doc->dataSource()->mainImage(), expected));
    }
    // Waiting for it took the result: it does not arrive a second time.
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 2);
}

TEST_F(OpeningTest, UserInputIntoTheWindowWaitsForThePicture)
{
    const QString path = writePicture(dir, QSize(900, 700));
    std::unique_ptr<SWDocument> doc(open(path));
    doc->makeWindowControllers();
    doc->showWindows();
    ASSERT_NE(doc->window(), nullptr);
    if (!doc->isReading())
        GTEST_SKIP() << "the picture arrived before the window showed";
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(doc->window(), &press);
    EXPECT_FALSE(doc->isReading());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(samePixels(doc->dataSource()->mainImage(), independentlyDecoded(path)));
}

TEST_F(OpeningTest, APictureThatFailsToDecodeLeavesNoCanvasToSave)
{
    // Its structure is whole; two bytes inside the pixel data are not.
    std::unique_ptr<SWDocument> doc(open(testDataPath(QStringLiteral("images/corrupt.png"))));
    ASSERT_TRUE(processEventsUntil([&] { return finished > 0; }));
    EXPECT_FALSE(finishedOk);
    EXPECT_TRUE(finishedError.contains(QStringLiteral("damaged"))) << finishedError.toStdString();
    EXPECT_EQ(doc->dataSource(), nullptr);
    QString error;
    EXPECT_TRUE(doc->dataOfType(QStringLiteral("png"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(OpeningTest, ClosingWhileThePictureDecodesEndsTheReadQuietly)
{
    const QString path = writePicture(dir, QSize(1500, 1000));
    QPointer<SWDocument> doc(open(path));
    doc->makeWindowControllers();
    doc->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(doc.isNull());
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 0);
}

// A file the header already refuses fails before any window is made.
TEST_F(OpeningTest, WhatTheHeaderRefusesFailsAtOnce)
{
    SWDocument refused;
    QString error;
    EXPECT_FALSE(refused.beginReadingFromFile(testDataPath(QStringLiteral("images/truncated.png")),
                                              QStringLiteral("png"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("incomplete"))) << error.toStdString();
    EXPECT_FALSE(refused.isReading());
}

// A picture named at start-up is read ahead; the document that opens it
// takes that read over instead of starting another, and ends as any other
// read: the pixels of the file, no undo step, nothing edited.
TEST_F(OpeningTest, ADocumentTakesOverThePictureReadAheadForItsFile)
{
    const QString path = writePicture(dir, QSize(900, 700));
    platform::ImageFileLoader::readAhead(path);
    std::unique_ptr<SWDocument> doc(open(path));
    EXPECT_EQ(platform::ImageFileLoader::takeReadAhead(path), nullptr);
    EXPECT_EQ(doc->dataSource()->canvasSize(), QSizeF(900, 700));
    ASSERT_TRUE(processEventsUntil([&] { return finished > 0; }));
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(finishedOk) << finishedError.toStdString();
    EXPECT_TRUE(samePixels(doc->dataSource()->mainImage(), independentlyDecoded(path)));
    EXPECT_FALSE(doc->undoManager()->canUndo());
    EXPECT_FALSE(doc->isDocumentEdited());
}
