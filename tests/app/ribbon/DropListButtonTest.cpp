// The drop-list button look: where its title sits, the rim and face
// gradients of its bezel against the colours they are made of, and the
// pressed look.
#include "KZDropListButtonCell.h"
#include "KZOrbStyleDropListButton.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

QImage bezel(bool highlighted, const QSize& size = QSize(40, 30))
{
    KZDropListButtonCell cell;
    cell.setHighlighted(highlighted);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    cell.drawBezelWithFrame(painter, QRectF(QPointF(0, 0), size), nullptr);
    return image;
}

int grey(double white)
{
    return int(std::lround(white * 255));
}

// Within a few levels of the colour, channel by channel.
::testing::AssertionResult near(QRgb pixel, const QColor& expected, int tolerance = 3)
{
    const int d = std::max({std::abs(qRed(pixel) - expected.red()), std::abs(qGreen(pixel) - expected.green()),
                            std::abs(qBlue(pixel) - expected.blue())});
    if (d <= tolerance && qAlpha(pixel) == 255)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << qRed(pixel) << "," << qGreen(pixel) << "," << qBlue(pixel)
                                         << " alpha " << qAlpha(pixel) << ", expected " << expected.red() << ","
                                         << expected.green() << "," << expected.blue();
}

} // namespace

TEST(KZDropListButtonCell, TheTitleSitsTenPointsAboveWhereAPlainCellPutsIt)
{
    QWidget view;
    platform::ButtonCell plain;
    KZDropListButtonCell cell;
    for (platform::ButtonCell* c : {&plain, static_cast<platform::ButtonCell*>(&cell)})
        c->setTitle(QStringLiteral("Shapes \n\u25BE"));
    for (const QRectF& bounds : {QRectF(0, 0, 80, 40), QRectF(5, 7, 120, 60)}) {
        const QRectF expected = plain.titleRectForBounds(bounds, &view);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(cell.titleRectForBounds(bounds, &view), expected.translated(0, -10));
    }
}

TEST(KZDropListButtonCell, TheBezelIsALightRimAroundAFaceBothLighterUpwardsAndThePressedFaceIsDarker)
{
    const QImage plain = bezel(false);
    const QImage pressed = bezel(true);
    // The rim: the first colour at the bottom edge, the last two at the top.
    EXPECT_TRUE(near(plain.pixel(20, 29), QColor(169, 185, 200)));
    EXPECT_TRUE(near(plain.pixel(20, 0), QColor(196, 201, 212), 4));
    // The face inside it: 0.78 white at the bottom, 0.92 to 0.96 at the top,
    // about 0.85 half-way (0.5 of the way to the stop at 0.95).
    EXPECT_TRUE(near(plain.pixel(20, 28), QColor(grey(0.78), grey(0.78), grey(0.78)), 4));
    EXPECT_TRUE(near(plain.pixel(20, 1), QColor(grey(0.95), grey(0.95), grey(0.95)), 5));
    const double half = 0.78 + (0.92 - 0.78) * 0.5 / 0.95;
    EXPECT_TRUE(near(plain.pixel(20, 15), QColor(grey(half), grey(half), grey(half)), 4));
    // Pressed: black at 0.1 over the face only.
    const double darker = half * 0.9;
    EXPECT_TRUE(near(pressed.pixel(20, 15), QColor(grey(darker), grey(darker), grey(darker)), 4));
    EXPECT_EQ(pressed.pixel(0, 15), plain.pixel(0, 15)) << "the rim keeps its colour";
    EXPECT_EQ(pressed.pixel(20, 29), plain.pixel(20, 29));
}

TEST(KZOrbStyleDropListButton, ShowsItsTitleAndDrawsItsCellPressedWhileHeldDown)
{
    KZOrbStyleDropListButton button;
    button.setTitle(QStringLiteral("Brushes"));
    EXPECT_EQ(button.accessibleName(), QStringLiteral("Brushes"));
    EXPECT_EQ(button.cell()->title(), QStringLiteral("Brushes"));
    button.resize(80, 40);
    const QImage up = button.grab().toImage();
    button.setDown(true);
    const QImage down = button.grab().toImage();
    button.setDown(false);
    EXPECT_EQ(button.grab().toImage(), up) << "released, the plain look again";
    // A spot of face beside the title.
    const QRgb face = up.pixel(3, 20);
    const QRgb held = down.pixel(3, 20);
    EXPECT_NEAR(qRed(held), qRed(face) * 0.9, 3);
    EXPECT_NEAR(qGreen(held), qGreen(face) * 0.9, 3);
}
