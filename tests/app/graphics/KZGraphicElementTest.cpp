#include "KZBitmapImage.h"
#include "KZGraphicsContext.h"
#include "KZVectorImage.h"

#include "platform/foundation/UserDefaults.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QPainterPath rectPath(const QRectF& r)
{
    QPainterPath path;
    path.addRect(r);
    return path;
}

void expectRect(const QRectF& actual, const QRectF& expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

} // namespace

TEST(KZGraphicElement, PathElementLiesWhereThePathLay)
{
    KZVectorImage element(rectPath({10, 20, 100, 50}));
    EXPECT_EQ(element.position(), QPointF(60, 45));
    ASSERT_TRUE(element.image().has_value());
    expectRect(element.image()->boundingRect(), {-50, -25, 100, 50});
    EXPECT_EQ(element.originSize(), QSizeF(100, 50));
    // The stroke (2 wide by default) and its anti-aliased rim lie inside.
    expectRect(element.bounds(), {8.5, 18.5, 103, 53});
    EXPECT_TRUE(element.image()->fillRule() == Qt::WindingFill);

    element.setSize({200, 25});
    EXPECT_EQ(element.scale(), QSizeF(2, 0.5));
    EXPECT_EQ(element.size(), QSizeF(200, 25));
}

TEST(KZGraphicElement, ResetStateAndEmptyContent)
{
    KZVectorImage element;
    EXPECT_EQ(element.scale(), QSizeF(1, 1));
    EXPECT_EQ(element.orientation(), 0);
    EXPECT_FALSE(element.shouldFlip());
    EXPECT_FALSE(element.hasCreated());
    EXPECT_EQ(element.strokeColor(), QColor(Qt::black));
    EXPECT_EQ(element.fillColor(), QColor(Qt::white));
    EXPECT_EQ(element.lineSize(), 2.0);
    EXPECT_TRUE(element.shouldStroke());
    EXPECT_FALSE(element.shouldFill());
    // Without content the size cannot be set.
    EXPECT_FALSE(element.image().has_value());
    element.setSize({30, 40});
    EXPECT_EQ(element.scale(), QSizeF(1, 1));
    element.setImage(QPainterPath());
    EXPECT_EQ(element.originSize(), QSizeF(0, 0));
}

TEST(KZGraphicElement, TurnsAndMirrorsAddUpWithoutNormalising)
{
    KZVectorImage element(rectPath({0, 0, 40, 20}));
    for (int i = 0; i < 4; ++i)
        element.rotate(90);
    EXPECT_EQ(element.orientation(), 360);

    struct Case {
        bool vertical;
        double orientation;
    } const cases[] = {{true, -30}, {false, 150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vertical);
        KZVectorImage turned(rectPath({0, 0, 40, 20}));
        turned.setOrientation(30);
        turned.flip(c.vertical);
        EXPECT_EQ(turned.orientation(), c.orientation);
        EXPECT_TRUE(turned.shouldFlip());
        turned.flip(c.vertical);
        EXPECT_EQ(turned.orientation(), 30);
        EXPECT_FALSE(turned.shouldFlip());
    }
}

TEST(KZGraphicElement, MirroringMovesCornersAcrossTheCentreOnTheCanvas)
{
    // A local point at the top-left corner, on an element turned by 30.
    KZVectorImage element(rectPath({0, 0, 40, 20}));
    element.setPosition({100, 100});
    element.setOrientation(30);
    const QPointF corner = element.transform().map(QPointF(-20, -10));
    KZVectorImage vertical(rectPath({0, 0, 40, 20}));
    vertical.setPosition({100, 100});
    vertical.setOrientation(30);
    vertical.flip(true);
    // Top to bottom about the centre: y mirrored, x kept.
    const QPointF v = vertical.transform().map(QPointF(-20, -10));
    EXPECT_NEAR(v.x(), corner.x(), 1e-9);
    EXPECT_NEAR(v.y(), 200 - corner.y(), 1e-9);
    KZVectorImage horizontal(rectPath({0, 0, 40, 20}));
    horizontal.setPosition({100, 100});
    horizontal.setOrientation(30);
    horizontal.flip(false);
    const QPointF h = horizontal.transform().map(QPointF(-20, -10));
    EXPECT_NEAR(h.x(), 200 - corner.x(), 1e-9);
    EXPECT_NEAR(h.y(), corner.y(), 1e-9);
}

TEST(KZGraphicElement, PositiveOrientationTurnsClockwiseOnTheCanvas)
{
    // The right middle of the frame goes to the bottom after 90 degrees.
    KZVectorImage element(rectPath({0, 0, 40, 20}));
    element.setPosition({100, 100});
    element.setOrientation(90);
    const QPointF p = element.transform().map(QPointF(20, 0));
    EXPECT_NEAR(p.x(), 100, 1e-9);
    EXPECT_NEAR(p.y(), 120, 1e-9);
    expectRect(element.KZGraphicElement::bounds(), {90, 80, 20, 40});
}

TEST(KZGraphicElement, FlatContentKeepsFiniteScales)
{
    // A horizontal line has no height: its y scale cannot follow a size.
    QPainterPath line;
    line.moveTo(0, 10);
    line.lineTo(100, 10);
    KZVectorImage element(line);
    ASSERT_EQ(element.originSize(), QSizeF(100, 0));
    element.setSize({50, 30});
    EXPECT_EQ(element.scale(), QSizeF(0.5, 1));
    element.setScale({std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()});
    element.setPosition({std::numeric_limits<double>::infinity(), 4});
    element.setOrientation(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(element.scale(), QSizeF(0.5, 1));
    EXPECT_EQ(element.position(), QPointF(50, 4));
    EXPECT_EQ(element.orientation(), 0);
}

TEST(KZGraphicElement, BitmapRepresentationShowsTheBoundsArea)
{
    QImage picture(4, 2, QImage::Format_RGBA8888_Premultiplied);
    picture.fill(Qt::red);
    picture.setPixelColor(0, 0, Qt::blue);
    auto element = KZBitmapImage::bitmapWithImage(picture);
    element->setPosition({50, 50});
    EXPECT_EQ(element->originSize(), QSizeF(4, 2));
    element->setSize({8, 4});
    element->rotate(90);
    const QImage bitmap = element->bitmapRepresentation();
    ASSERT_EQ(bitmap.size(), QSize(4, 8));
    // Hard pixel edges: every pixel is wholly red or wholly blue, and the
    // blue corner (top-left) now lies top-right.
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const QColor c = bitmap.pixelColor(x, y);
            EXPECT_EQ(c.alpha(), 255) << x << "," << y;
            EXPECT_TRUE(c == QColor(Qt::red) || c == QColor(Qt::blue)) << x << "," << y;
        }
    EXPECT_EQ(bitmap.pixelColor(3, 0), QColor(Qt::blue));
    EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(Qt::red));
}

TEST(KZGraphicElement, BitmapRepresentationRefusesSizesNoCanvasMayHave)
{
    // Refused before anything is allocated.
    struct Case {
        const char* name;
        QSizeF scale;
    } const cases[] = {
        {"below a pixel", {0.001, 0.001}},
        {"over the canvas side limit", {400, 1}},
        {"huge", {1e30, 1e30}},
        {"infinite", {1e308, 1e308}},
    };
    QImage picture(100, 50, QImage::Format_RGBA8888_Premultiplied);
    picture.fill(Qt::red);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto element = KZBitmapImage::bitmapWithImage(picture);
        element->setScale(c.scale);
        EXPECT_TRUE(element->bitmapRepresentation().isNull());
    }
    auto element = KZBitmapImage::bitmapWithImage(picture);
    element->setScale({1e308, 1e308});
    EXPECT_FALSE(std::isfinite(element->bounds().width()));
}
