#include "NPMagnifierView.h"
#include "NPMagnifierWindow.h"
#include "NPMagnifierWindowController.h"
#include "VTRUITestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage capture(int side, const QColor& centre)
{
    QImage pixels(side, side, QImage::Format_ARGB32);
    pixels.fill(Qt::green);
    pixels.setPixelColor(side / 2, side / 2, centre);
    return pixels;
}

QImage render(QWidget& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(NPMagnifierTest, StandardWindowNeedsNineByNinePixelsCentredAt64)
{
    auto controller = NPMagnifierWindowController::createInstance();
    EXPECT_EQ(controller->neededImageSize(), QSizeF(9, 9));
    EXPECT_EQ(NPMagnifierView::centerCellRect(QSizeF(144, 144)), QRectF(64, 64, 16, 16));
    EXPECT_FALSE(controller->window()->canBecomeKeyWindow());
    EXPECT_TRUE(controller->window()->testAttribute(Qt::WA_TransparentForMouseEvents));

    controller->setWindowFrameOrigin(QPointF(30, 40));
    EXPECT_EQ(controller->windowFrame().topLeft(), QPointF(30, 40));
}

TEST(NPMagnifierTest, ColourTextRoundsEachChannel)
{
    struct Case {
        QColor color;
        const char* text;
    };
    const Case cases[] = {
        {QColor::fromRgbF(1.0f, 0.5f, 0.0f, 1.0f), "255 128 0 255"},
        {QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.0f), "0 0 0 0"},
        {QColor::fromRgbF(0.2f, 0.4f, 0.6f, 0.8f), "51 102 153 204"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NPMagnifierView::colorText(c.color), QString::fromLatin1(c.text));
}

TEST(NPMagnifierTest, UpdateShowsThePixelsEnlargedAndTheColour)
{
    DebugLogCapture log;
    NPMagnifierView view;
    view.resize(144, 144);
    view.updateMagnifierInfo(NPMagnifierInfo(capture(9, Qt::red), QColor::fromRgbF(1.0f, 0.5f, 0.0f), 1.0));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(view.colorString(), "255 128 0 255");
    EXPECT_NEAR(view.colorStringFrame().center().x(), 72.0, 1.0);
    EXPECT_EQ(view.colorStringFrame().y(), 144.0 - 50.0);

    const QImage image = render(view);
    EXPECT_EQ(image.pixel(72, 72), qRgb(255, 0, 0));   // the centre pixel, 16 times larger
    EXPECT_EQ(image.pixel(69, 72), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(40, 40), qRgb(0, 255, 0));
    EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0);          // outside the round face
    EXPECT_EQ(image.pixel(64, 72), qRgb(0, 0, 0));    // black frame inside the centre cell
    EXPECT_EQ(image.pixel(63, 72), qRgb(255, 255, 255)); // white outside it
}

TEST(NPMagnifierTest, InfoWithoutImageIsReportedAndDrawsNoPixels)
{
    DebugLogCapture log;
    NPMagnifierView view;
    view.resize(144, 144);
    view.updateMagnifierInfo(NPMagnifierInfo(QImage(), Qt::red, 1.0));
    EXPECT_FALSE(log.lines().isEmpty());
    const QImage image = render(view);
    // The checkerboard shows where the pixels would be.
    const QColor at = image.pixelColor(40, 40);
    EXPECT_EQ(at.red(), at.green());
}

TEST(NPMagnifierTest, WindowWithoutMagnifierViewIsReported)
{
    DebugLogCapture log;
    auto* window = new NPMagnifierWindow;
    window->setContentView(new QWidget);
    NPMagnifierWindowController controller(window);
    EXPECT_EQ(controller.neededImageSize(), QSizeF());
    EXPECT_TRUE(log.contains(QStringLiteral("Invalid view type")));

    NPMagnifierWindowController empty(nullptr);
    EXPECT_EQ(empty.windowFrame(), QRectF());
    EXPECT_TRUE(log.contains(QStringLiteral("window is nil")));
}

} // namespace
