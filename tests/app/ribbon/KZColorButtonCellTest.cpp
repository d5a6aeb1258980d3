#include "KZColorButtonCell.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
// The colour laid over an opaque ground, computed here from the colour's
// own channels: what the well shows over its black and its white half.
QColor over(const QColor& colour, int ground)
{
    const double a = colour.alphaF();
    const auto channel = [&](int c) { return int(c * a + ground * (1 - a) + 0.5); };
    return QColor(channel(colour.red()), channel(colour.green()), channel(colour.blue()));
}

::testing::AssertionResult near(QRgb pixel, const QColor& expected)
{
    const QColor got = QColor::fromRgba(pixel);
    // One step either way: the painter rounds premultiplied channels.
    if (got.alpha() == 255 && std::abs(got.red() - expected.red()) <= 1 &&
        std::abs(got.green() - expected.green()) <= 1 && std::abs(got.blue() - expected.blue()) <= 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << got.name(QColor::HexArgb).toStdString() << ", expected "
                                         << expected.name().toStdString();
}
} // namespace

// Each cell's image shows its colour in the well, over a black upper-left
// and a white lower-right half, on a white square with a clear margin; an
// invalid colour shows the disabled text colour. Images of a colour are
// shared between cells: asking again, or after a caller painted over its
// copy, still gives the colour's own picture.
TEST(KZColorButtonCell, TheImageShowsTheColourOverBlackAndWhiteHalvesWhateverCameBefore)
{
    const QColor colours[] = {QColor(200, 30, 40), QColor(0, 0, 255, 128), Qt::white, QColor(), QColor(200, 30, 40)};
    for (int pass = 0; pass < 2; ++pass) {
        for (const QColor& colour : colours) {
            QImage image = KZColorButtonCell::colorImage(colour);
            SCOPED_TRACE(colour.name(QColor::HexArgb).toStdString() + " pass " + std::to_string(pass));
            ASSERT_EQ(image.size(), QSize(KZColorButtonCell::kImageSide, KZColorButtonCell::kImageSide));
            const QColor shown = colour.isValid() ? colour : KZColorButtonCell::disabledControlTextColor();
            EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0) << "margin";
            EXPECT_TRUE(near(image.pixel(6, 6), Qt::white)) << "square";
            EXPECT_TRUE(near(image.pixel(12, 12), over(shown, 0))) << "black half";
            EXPECT_TRUE(near(image.pixel(32, 32), over(shown, 255))) << "white half";
            // A caller's change stays in its copy.
            image.fill(Qt::green);
        }
    }
    KZColorButtonCell cell;
    cell.setColor(QColor(200, 30, 40));
    EXPECT_TRUE(near(cell.image().pixel(12, 12), QColor(200, 30, 40)));
    EXPECT_TRUE(cell.isEnabled());
}
