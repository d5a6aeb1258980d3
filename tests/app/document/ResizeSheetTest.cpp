#include "SWResizeWindowController.h"
#include "support/DocumentWindowFixture.h"

#include "UIUtil.h"

#include "platform/appkit/Beep.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/UndoManager.h"

#include <gtest/gtest.h>

namespace {
// A document of the given size, left half red and right half blue.
struct ResizeFixture : DocumentWindowFixture {
    explicit ResizeFixture(const QSizeF& size)
    {
        document->dataSource()->resizeToSize(size, false);
        QImage& picture = document->dataSource()->mainImage();
        picture.fill(Qt::blue);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width() / 2; ++x)
                picture.setPixelColor(x, y, Qt::red);
        document->paintView()->setFrame(QRectF(QPointF(0, 0), size));
    }

    // Opens the sheet the way the menu item with that tag does.
    SWResizeWindowController* open(int tag)
    {
        platform::MenuItem item(QStringLiteral("Resize…"), QStringLiteral("raiseResizeSheet:"));
        item.setTag(tag);
        document->raiseResizeSheet(&item);
        return document->resizeController();
    }
    QSizeF size() const { return document->dataSource()->canvasSize(); }
};

void type(VTRNumericTextField* field, const QString& text)
{
    field->setText(text);
}
} // namespace

TEST(ResizeSheet, FiftyPercentScalesA641By481PictureTo320By240InOneStep)
{
    ResizeFixture f({641, 481});
    SWResizeWindowController* sheet = f.open(1);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->window()->isVisible());
    EXPECT_TRUE(sheet->scales());
    EXPECT_EQ(sheet->widthFieldOriginal()->text(), "641");
    EXPECT_EQ(sheet->heightFieldOriginal()->text(), "481");
    EXPECT_EQ(sheet->widthFieldNew()->text(), "100");
    EXPECT_EQ(sheet->heightFieldNew()->text(), "100");
    type(sheet->widthFieldNew(), "50");
    type(sheet->heightFieldNew(), "50");
    sheet->endSheet(1);
    EXPECT_FALSE(sheet->window()->isVisible());
    EXPECT_EQ(f.size(), QSizeF(320, 240));
    // Scaled: both halves are still there.
    EXPECT_EQ(f.document->dataSource()->mainImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(f.document->dataSource()->mainImage().pixelColor(319, 239), QColor(Qt::blue));
    QApplication::processEvents();
    EXPECT_EQ(f.document->undoManager()->undoCount(), 1);
    f.document->undoOperation();
    EXPECT_EQ(f.size(), QSizeF(641, 481));
}

TEST(ResizeSheet, CanvasSizeInPixelsKeepsThePictureAtTheTopLeft)
{
    ResizeFixture f({100, 80});
    SWResizeWindowController* sheet = f.open(0);
    EXPECT_FALSE(sheet->scales());
    sheet->setSelectedUnit(SWResizeWindowController::PixelsUnit);
    sheet->changeUnits();
    EXPECT_EQ(sheet->widthFieldNew()->text(), "100");
    EXPECT_EQ(sheet->widthUnits()->text(), "pixels");
    type(sheet->widthFieldNew(), "150");
    type(sheet->heightFieldNew(), "60");
    sheet->endSheet(1);
    EXPECT_EQ(f.size(), QSizeF(150, 60));
    const QImage& picture = f.document->dataSource()->mainImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(99, 59), QColor(Qt::blue));
    EXPECT_NE(picture.pixelColor(140, 30), QColor(Qt::blue)); // new area: background
}

TEST(ResizeSheet, SwitchingUnitsShowsTheSizeOrOneHundredPercent)
{
    ResizeFixture f({641, 481});
    SWResizeWindowController* sheet = f.open(1);
    sheet->setSelectedUnit(SWResizeWindowController::PixelsUnit);
    sheet->changeUnits();
    EXPECT_EQ(sheet->widthFieldNew()->text(), "641");
    EXPECT_EQ(sheet->heightFieldNew()->text(), "481");
    sheet->setSelectedUnit(SWResizeWindowController::PercentUnit);
    sheet->changeUnits();
    EXPECT_EQ(sheet->widthFieldNew()->text(), "100");
    EXPECT_EQ(sheet->widthUnits()->text(), "percent");
    sheet->endSheet(0);

    // The unit stays chosen for the next time, which opens on the size then.
    sheet->setSelectedUnit(SWResizeWindowController::PixelsUnit);
    f.open(1);
    EXPECT_EQ(sheet->widthFieldNew()->text(), "641");
    sheet->endSheet(0);
}

TEST(ResizeSheet, ValuesThatGiveNoPixelOrTooManyAreRefusedAndTheSheetStays)
{
    ResizeFixture f({50, 40});
    const UIUtil::AlertPresenter previous = UIUtil::setAlertPresenter([](const UIUtil::AlertRequest&) {});
    const struct {
        const char* name;
        int unit;
        const char* width;
        const char* height;
        const char* why;
    } refused[] = {
        {"zero", SWResizeWindowController::PixelsUnit, "0", "40", "1 pixel"},
        {"not a number", SWResizeWindowController::PercentUnit, "abc", "100", "1 pixel"},
        {"one percent of 50 pixels is no pixel", SWResizeWindowController::PercentUnit, "1", "100", "1 pixel"},
        {"more pixels than a canvas may hold", SWResizeWindowController::PixelsUnit, "20000", "20000", "16384 x 16384"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        SWResizeWindowController* sheet = f.open(1);
        sheet->setSelectedUnit(r.unit);
        sheet->changeUnits();
        type(sheet->widthFieldNew(), QString::fromLatin1(r.width));
        type(sheet->heightFieldNew(), QString::fromLatin1(r.height));
        const int beeps = platform::Beep::count();
        sheet->endSheet(1);
        EXPECT_EQ(platform::Beep::count(), beeps + 1);
        EXPECT_TRUE(sheet->window()->isVisible());
        EXPECT_EQ(f.size(), QSizeF(50, 40));
        // It says why, and keeps what was typed.
        EXPECT_TRUE(sheet->refusalMessage().contains(QString::fromLatin1(r.why))) << sheet->refusalMessage().toStdString();
        EXPECT_EQ(sheet->widthFieldNew()->text(), QString::fromLatin1(r.width));
        EXPECT_EQ(sheet->heightFieldNew()->text(), QString::fromLatin1(r.height));
        sheet->endSheet(0);
    }
    UIUtil::setAlertPresenter(previous);
    // 100 % is the same size: no step.
    SWResizeWindowController* sheet = f.open(1);
    sheet->endSheet(1);
    QApplication::processEvents();
    EXPECT_FALSE(f.document->undoManager()->canUndo());
}
