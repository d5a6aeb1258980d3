#include "Appearance.h"
#include "UniformColor.h"
#include "UniformGrayScale.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

// Switches the application to a dark palette for the life of the object.
class DarkAppearance {
public:
    DarkAppearance()
        : saved(QGuiApplication::palette())
    {
        QPalette dark = saved;
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::WindowText, Qt::white);
        QGuiApplication::setPalette(dark);
    }
    ~DarkAppearance() { QGuiApplication::setPalette(saved); }

private:
    QPalette saved;
};

} // namespace

TEST(UniformGrayScale, LevelsAreClamped)
{
    EXPECT_EQ(UniformGrayScale(300).anyGrayScale(), 255);
    EXPECT_EQ(UniformGrayScale(300).darkGrayScale(), 255);
    EXPECT_EQ(UniformGrayScale(-4).anyGrayScale(), 0);
    EXPECT_EQ(UniformGrayScale(-4).darkGrayScale(), 0);
    EXPECT_EQ(UniformGrayScale(40, 300).anyGrayScale(), 40);
    EXPECT_EQ(UniformGrayScale(40, 300).darkGrayScale(), 255);
}

TEST(Appearance, DarknessComesFromThePaletteWindowColour)
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(240, 240, 240));
    EXPECT_FALSE(Appearance::isDarkPalette(palette));
    palette.setColor(QPalette::Window, QColor(30, 30, 30));
    EXPECT_TRUE(Appearance::isDarkPalette(palette));
}

TEST(Appearance, ValuesFollowAPaletteChange)
{
    const UniformGrayScale gray(200, 50);
    const UniformColor color(QColor(Qt::white), QColor(Qt::black));
    ASSERT_FALSE(Appearance::isCurrentDarkMode()) << "the test platform starts light";
    EXPECT_EQ(gray.grayScale(), 200);
    EXPECT_EQ(color.nsColor(), QColor(Qt::white));
    {
        DarkAppearance dark;
        EXPECT_TRUE(Appearance::isCurrentDarkMode());
        EXPECT_EQ(gray.grayScale(), 50);
        EXPECT_EQ(color.nsColor(), QColor(Qt::black));
        EXPECT_EQ(color.cgColor(), QColor(Qt::black));
    }
    EXPECT_EQ(gray.grayScale(), 200);
    EXPECT_EQ(color.nsColor(), QColor(Qt::white));
}

TEST(UniformColor, MadeFromGreysAndUserColours)
{
    const UniformColor white { UniformGrayScale(255) };
    EXPECT_EQ(white.anyColor(), QColor::fromRgbF(1, 1, 1, 1));
    EXPECT_EQ(white.darkColor(), QColor::fromRgbF(1, 1, 1, 1));

    const UniformColor grey { UniformGrayScale(51, 102) };
    EXPECT_EQ(grey.anyColor(), QColor::fromRgbF(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(grey.darkColor(), QColor::fromRgbF(0.4f, 0.4f, 0.4f, 1.0f));

    const UserColor pink(255, 0, 128, 51);
    EXPECT_EQ(UniformColor(pink).anyColor(), pink.nsColor());
    EXPECT_EQ(UniformColor(pink).darkColor(), pink.nsColor());
    const UniformColor pair(pink, UserColor::blueColor());
    EXPECT_EQ(pair.anyColor(), pink.nsColor());
    EXPECT_EQ(pair.darkColor(), UserColor::blueColor().nsColor());
}

TEST(UniformColor, PaintsWithTheColourOfTheAppearance)
{
    const UniformColor color(QColor(Qt::red), QColor(Qt::blue));
    QImage image(2, 2, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        color.setFill(painter);
        painter.drawRect(0, 0, 2, 2);
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::red));

    DarkAppearance dark;
    QPainter painter(&image);
    color.setStroke(painter);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::blue));
    EXPECT_EQ(painter.pen().style(), Qt::SolidLine);
    color.set(painter);
    EXPECT_EQ(painter.brush().color(), QColor(Qt::blue));
}
