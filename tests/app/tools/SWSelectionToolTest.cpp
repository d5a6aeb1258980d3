#include "KZArbitrarySelectionTool.h"
#include "RasterToolFixture.h"
#include "SWSelectionTool.h"

#include "platform/appkit/Alert.h"

#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Four coloured quarters, so that every moved pixel can be told apart.
void paintQuarters(QImage& image)
{
    QPainter painter(&image);
    const int w = image.width() / 2;
    const int h = image.height() / 2;
    painter.fillRect(0, 0, w, h, QColor(200, 0, 0));
    painter.fillRect(w, 0, w, h, QColor(0, 160, 0));
    painter.fillRect(0, h, w, h, QColor(0, 0, 220));
    painter.fillRect(w, h, w, h, QColor(230, 200, 0));
    for (int i = 0; i < image.width(); i += 3)
        painter.fillRect(i, (i * 7) % image.height(), 2, 2, QColor(i % 255, 90, 140));
}

bool allTransparent(const QImage& image)
{
    return countPixels(image, QColor(0, 0, 0, 0)) == image.width() * image.height();
}
} // namespace

TEST(SWSelectionTool, ADraggedSelectionMovesItsPixelsAndOneUndoRestoresThePicture)
{
    RasterToolFixture f;
    paintQuarters(f.mainImage());
    const QImage before = f.mainImage().copy();
    f.controller()->setBackgroundColor(QColor(250, 250, 250));
    auto* selection = dynamic_cast<SWSelectionTool*>(f.choose("Rectangle Selection"));
    ASSERT_NE(selection, nullptr);

    f.gesture({{20, 10}, {50, 40}, {60, 50}});
    ASSERT_TRUE(selection->isSelected());
    EXPECT_TRUE(selection->isAnimating());
    EXPECT_EQ(selection->clippingRect(), QRectF(20, 10, 40, 40));
    EXPECT_TRUE(sameImage(selection->selectedImage(), before.copy(20, 10, 40, 40)));
    EXPECT_EQ(pixelAt(f.mainImage(), 30, 20), QColor(250, 250, 250));
    EXPECT_EQ(f.undo()->undoCount(), 0);

    // A drag from inside moves it, by whole pixels only.
    // Each event's motion is cut toward zero: 0.6 + 0.6 + 69.7 moves by 69.
    f.gesture({{30, 30}, {30.6, 30.6}, {31.2, 31.2}, {100.9, 80.4}});
    EXPECT_EQ(selection->offset(), QPoint(69, 49));
    EXPECT_EQ(selection->clippingRect(), QRectF(89, 59, 40, 40));
    // It shows in the buffer where it will land.
    EXPECT_EQ(pixelAt(f.buffer(), 95, 65), before.pixelColor(26, 16));

    // A press outside pastes it.
    f.gesture({{5, 140}});
    EXPECT_FALSE(selection->isSelected());
    EXPECT_FALSE(selection->isAnimating());
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_TRUE(allTransparent(f.buffer()));
    QImage expected = before.copy();
    {
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(20, 10, 40, 40, QColor(250, 250, 250));
        painter.drawImage(89, 59, before.copy(20, 10, 40, 40));
    }
    EXPECT_TRUE(sameImage(f.mainImage(), expected));
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));
}

TEST(SWSelectionTool, TransparencyLeavesOutBackColourPixelsAndFollowsTheOptionWhileFloating)
{
    RasterToolFixture f;
    f.mainImage().fill(Qt::white);
    f.mainImage().setPixelColor(15, 15, Qt::red);
    f.controller()->setBackgroundColor(Qt::white);
    auto* selection = dynamic_cast<SWSelectionTool*>(f.choose("Rectangle Selection"));
    f.gesture({{10, 10}, {20, 20}});
    EXPECT_EQ(pixelAt(selection->selectedImage(), 0, 0), QColor(Qt::white));
    f.controller()->setSelectionTransparency(true);
    EXPECT_EQ(pixelAt(selection->selectedImage(), 0, 0).alpha(), 0);
    EXPECT_EQ(pixelAt(selection->selectedImage(), 5, 5), QColor(Qt::red));
    // Moved over black, the white of the selection is left out.
    f.gesture({{12, 12}, {62, 62}});
    f.mainImage().fill(Qt::black);
    f.gesture({{5, 140}});
    EXPECT_EQ(pixelAt(f.mainImage(), 65, 65), QColor(Qt::red));
    EXPECT_EQ(pixelAt(f.mainImage(), 64, 64), QColor(Qt::black));
}

TEST(SWSelectionTool, DeleteLeavesTheHoleAndOneUndoBringsThePictureBack)
{
    RasterToolFixture f;
    paintQuarters(f.mainImage());
    const QImage before = f.mainImage().copy();
    f.controller()->setBackgroundColor(Qt::white);
    f.choose("Rectangle Selection");
    f.gesture({{20, 10}, {60, 50}});
    f.key(Qt::Key_Delete);
    f.endEvent();
    EXPECT_EQ(pixelAt(f.mainImage(), 30, 20), QColor(Qt::white));
    EXPECT_EQ(countPixels(f.mainImage().copy(20, 10, 40, 40), Qt::white), 1600);
    EXPECT_EQ(f.undo()->undoCount(), 1);
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));
}

TEST(SWSelectionTool, MarkingIsClampedToTheCanvasAndEmptySelectionsLiftNothing)
{
    RasterToolFixture f;
    paintQuarters(f.mainImage());
    const QImage before = f.mainImage().copy();
    auto* selection = dynamic_cast<SWSelectionTool*>(f.choose("Rectangle Selection"));
    f.gesture({{150, 100}, {400, -50}});
    EXPECT_EQ(selection->clippingRect(), QRectF(150, 0, 50, 100));
    f.gesture({{5, 140}});

    const std::vector<std::vector<QPointF>> empty = {{{30, 30}},                         // a click
                                                     {{30, 30}, {30.7, 80}},             // less than a pixel wide
                                                     {{30, 30}, {90, 30.2}, {90, 30.4}}, // less than a pixel high
                                                     {{-20, 40}, {-40, 90}}};            // beside the canvas
    for (const auto& drag : empty) {
        f.gesture(drag);
        EXPECT_FALSE(selection->isSelected());
        EXPECT_FALSE(selection->isAnimating());
        EXPECT_TRUE(allTransparent(f.buffer()));
    }
    EXPECT_EQ(f.undo()->undoCount(), 1);
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));

    auto* lasso = dynamic_cast<KZArbitrarySelectionTool*>(f.choose("Arbitrary Selection"));
    ASSERT_NE(lasso, nullptr);
    for (const auto& drag : std::vector<std::vector<QPointF>>{{{30, 30}}, {{30, 30}, {60, 30}, {90, 30}}}) {
        f.gesture(drag);
        EXPECT_FALSE(lasso->isSelected());
        EXPECT_FALSE(lasso->isAnimating());
    }
    f.choose("Brush");
    f.endEvent();
    EXPECT_EQ(f.undo()->undoCount(), 0);
    EXPECT_TRUE(sameImage(f.mainImage(), before));
}

TEST(SWSelectionTool, AClickInsideWithoutMovingStopsTheBorderUntilTheNextMove)
{
    RasterToolFixture f;
    auto* selection = dynamic_cast<SWSelectionTool*>(f.choose("Rectangle Selection"));
    f.gesture({{20, 10}, {60, 50}});
    ASSERT_TRUE(selection->isAnimating());
    const int64_t phase = selection->dottedLineOffset();
    f.spin(200);
    EXPECT_NE(selection->dottedLineOffset(), phase); // the border marches on the main loop
    f.gesture({{30, 30}});
    EXPECT_TRUE(selection->isSelected());
    EXPECT_FALSE(selection->isAnimating());
    // Standing still, it still shows after the document redraws the canvas.
    f.document->refreshDisplay();
    EXPECT_EQ(pixelAt(f.buffer(), 40, 30), QColor(Qt::white));
    f.gesture({{30, 30}, {35, 30}});
    EXPECT_TRUE(selection->isAnimating());
}

// At a zoom the press point has fractions: the lifted pixels, the hole and
// the paste must still agree, so a selection put back unmoved changes nothing.
TEST(SWSelectionTool, ASelectionPastedUnmovedLeavesThePictureAsItWas)
{
    for (const QString label : {"Rectangle Selection", "Arbitrary Selection"}) {
        SCOPED_TRACE(label.toStdString());
        RasterToolFixture f;
        paintQuarters(f.mainImage());
        const QImage before = f.mainImage().copy();
        f.controller()->setBackgroundColor(QColor(0, 0, 0, 0));
        auto* selection = dynamic_cast<SWSelectionTool*>(f.choose(label));
        f.gesture({{20.5, 10.5}, {80.5, 20.25}, {90.5, 70.5}, {30.75, 90.5}, {10.5, 40.5}, {25.5, 15.5}});
        ASSERT_TRUE(selection->isSelected());
        EXPECT_FALSE(sameImage(f.mainImage(), before)); // the hole
        f.gesture({{199, 149}});
        EXPECT_TRUE(sameImage(f.mainImage(), before));
    }
}

TEST(SWSelectionTool, TheLassoMovesTheInsideOfItsOutline)
{
    RasterToolFixture f;
    f.mainImage().fill(QColor(0, 0, 200));
    f.controller()->setBackgroundColor(Qt::white);
    auto* lasso = dynamic_cast<KZArbitrarySelectionTool*>(f.choose("Arbitrary Selection"));
    // A triangle.
    f.gesture({{10, 10}, {70, 10}, {10, 70}});
    ASSERT_TRUE(lasso->isSelected());
    EXPECT_EQ(lasso->clippingRect(), QRectF(10, 10, 60, 60));
    EXPECT_EQ(pixelAt(f.mainImage(), 20, 20), QColor(Qt::white));
    EXPECT_EQ(pixelAt(f.mainImage(), 60, 60), QColor(0, 0, 200)); // outside the triangle
    // Moved right by 100 (a press inside the box), then pasted.
    f.gesture({{20, 20}, {120, 20}});
    f.gesture({{199, 149}});
    EXPECT_EQ(pixelAt(f.mainImage(), 20, 20), QColor(Qt::white));
    EXPECT_EQ(pixelAt(f.mainImage(), 120, 20), QColor(0, 0, 200));
    EXPECT_EQ(pixelAt(f.mainImage(), 160, 60), QColor(0, 0, 200));
    EXPECT_TRUE(lasso->nodes().empty());
    EXPECT_EQ(f.undo()->undoCount(), 1);
}

// Each tick of the border redraws only the strip around the outline: the
// buffer must be what a full redraw at the same dash phase gives.
TEST(SWSelectionTool, BorderTicksDrawWhatAFullRedrawDraws)
{
    for (const QString label : {"Rectangle Selection", "Arbitrary Selection"}) {
        SCOPED_TRACE(label.toStdString());
        RasterToolFixture f({160, 120}, true);
        paintQuarters(f.mainImage());
        auto* selection = dynamic_cast<SWSelectionTool*>(f.choose(label));
        f.gesture({{20.5, 10.5}, {130.5, 20.25}, {120.5, 100.5}, {30.75, 90.5}});
        ASSERT_TRUE(selection->isSelected());
        std::vector<QImage> ticked;
        for (int i = 0; i < 8; ++i) {
            selection->drawNewBorder();
            ticked.push_back(f.buffer().copy());
        }
        for (int i = 0; i < 8; ++i) {
            f.buffer().scanLine(0); // touched behind the tool's back: a full redraw follows
            selection->drawNewBorder();
            EXPECT_TRUE(f.buffer() == ticked[size_t(i)]) << "phase " << i;
        }
        f.gesture({{159, 119}});
    }
}

TEST(SWSelectionTool, APictureSetUpByTheCallerFloatsWithoutAnUndoStep)
{
    RasterToolFixture f;
    QImage picture = SWImageTools::initImageRep(QSizeF(30, 20));
    picture.fill(QColor(10, 20, 30));
    SWImageTools::drawToImage(f.buffer(), picture, false);
    auto* selection = dynamic_cast<SWSelectionTool*>(f.choose("Rectangle Selection"));
    selection->setClippingRect(QRectF(100, 50, 30, 20), &f.buffer(), &f.mainImage());
    EXPECT_TRUE(selection->isSelected());
    EXPECT_TRUE(selection->isAnimating());
    EXPECT_EQ(pixelAt(f.buffer(), 110, 60), QColor(10, 20, 30));
    EXPECT_EQ(pixelAt(f.buffer(), 5, 5).alpha(), 0);
    f.gesture({{5, 5}});
    EXPECT_EQ(pixelAt(f.mainImage(), 110, 60), QColor(10, 20, 30));
    EXPECT_EQ(pixelAt(f.mainImage(), 5, 5), QColor(Qt::white));
    EXPECT_EQ(f.undo()->undoCount(), 0);
}

TEST(SWSelectionTool, ClosingTheWindowWithAFloatingSelectionIsClean)
{
    RasterToolFixture f;
    auto* selection = dynamic_cast<SWSelectionTool*>(f.choose("Rectangle Selection"));
    f.gesture({{20, 10}, {60, 50}});
    ASSERT_TRUE(selection->isAnimating());
    f.document->close();
    EXPECT_FALSE(selection->isAnimating());
    f.document = nullptr;
    f.spin(200);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// No control offers the pixel-grid selections any more, so what the window
// did with them end to end is checked here: Save writes a floating selection
// where it was moved, and Revert drops one without putting it down.
TEST(SWSelectionTool, SaveWritesTheFloatingSelectionWhereItWasMovedAndRevertDropsIt)
{
    RasterToolFixture f;
    QPainter(&f.mainImage()).fillRect(QRect(20, 20, 30, 30), Qt::black);
    const QImage before = f.mainImage().copy();
    f.controller()->setBackgroundColor(Qt::white);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("moved.png"));
    ASSERT_TRUE(f.document->writeToFile(path, QStringLiteral("png"), nullptr));
    f.document->setFilePath(path);
    f.document->setFileType(QStringLiteral("png"));
    // The square moved 100 to the right, as the file must hold it.
    QImage expected = before.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&expected);
        painter.fillRect(QRect(20, 20, 30, 30), Qt::white);
        painter.fillRect(QRect(120, 20, 30, 30), Qt::black);
    }

    for (const QString label : {"Rectangle Selection", "Arbitrary Selection"}) {
        SCOPED_TRACE(label.toStdString());
        auto* selection = dynamic_cast<SWSelectionTool*>(f.choose(label));
        ASSERT_NE(selection, nullptr);
        // The box from (x, 10) to (x + 50, 60): dragged corner to corner, or
        // walked round with the lasso.
        const auto select = [&](double x) {
            if (label == QLatin1String("Rectangle Selection"))
                f.gesture({{x, 10}, {x + 25, 35}, {x + 50, 60}});
            else
                f.gesture({{x, 10}, {x + 50, 10}, {x + 50, 60}, {x, 60}, {x, 11}});
        };
        select(10);
        ASSERT_TRUE(selection->isSelected());
        f.gesture({{35, 35}, {85, 35}, {135, 35}});
        ASSERT_TRUE(f.document->saveDocument());
        EXPECT_FALSE(selection->isSelected()) << "put down before the file was written";
        QImageReader reader(path, "png");
        const QImage saved = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(saved.size(), before.size()) << reader.errorString().toStdString();
        EXPECT_TRUE(sameImage(saved, expected));

        // Lifted again and moved back; Revert reads the file as saved.
        select(110);
        ASSERT_TRUE(selection->isSelected());
        f.gesture({{135, 35}, {85, 35}, {35, 35}});
        platform::Alert::setTestResponder([](const platform::Alert&) { return platform::Alert::FirstButton; });
        const bool reverted = f.document->revertDocumentToSaved();
        platform::Alert::setTestResponder(nullptr);
        ASSERT_TRUE(reverted);
        EXPECT_FALSE(selection->isSelected());
        EXPECT_FALSE(selection->isAnimating());
        f.gesture({{5, 140}}); // would put down a selection that still floated
        EXPECT_TRUE(sameImage(f.mainImage().convertToFormat(QImage::Format_RGB32), expected));

        // The next tool starts from the picture as it was.
        QPainter(&f.mainImage()).drawImage(0, 0, before);
        ASSERT_TRUE(f.document->saveDocument());
    }
}
