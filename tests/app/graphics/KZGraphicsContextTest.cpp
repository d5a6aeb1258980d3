#include "KZBitmapImage.h"
#include "KZGraphicsContext.h"
#include "KZVectorImage.h"
#include "SWImageTools.h"

#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/UserDefaults.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Sets "AllowAntialias" for one test and takes it away again.
struct Antialias {
    explicit Antialias(bool on) { platform::UserDefaults::standard().setValue(QStringLiteral("AllowAntialias"), on); }
    ~Antialias() { platform::UserDefaults::standard().removeValue(QStringLiteral("AllowAntialias")); }
};

QImage canvas(int w = 100, int h = 100)
{
    return SWImageTools::initImageRep(QSizeF(w, h));
}

// Pixels with some but not full coverage.
int partialPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int a = image.pixelColor(x, y).alpha();
            count += a > 0 && a < 255;
        }
    return count;
}

} // namespace

TEST(KZGraphicsContext, OptionSwapsFillAndStrokeColours)
{
    KZGraphicsContext context;
    context.setFrontColor(Qt::red);
    context.setBackColor(Qt::green);
    for (const uint64_t flags : {uint64_t(0), uint64_t(platform::ModifierFlags::Shift)}) {
        context.setKeyFlags(flags);
        EXPECT_EQ(context.fillColor(), QColor(Qt::green));
        EXPECT_EQ(context.strokeColor(), QColor(Qt::red));
    }
    for (const uint64_t flags : {uint64_t(platform::ModifierFlags::Option),
                                 uint64_t(platform::ModifierFlags::Option | platform::ModifierFlags::Command)}) {
        context.setKeyFlags(flags);
        EXPECT_EQ(context.fillColor(), QColor(Qt::red));
        EXPECT_EQ(context.strokeColor(), QColor(Qt::green));
    }
}

TEST(KZGraphicsContext, NeitherFillNorStrokeDrawsNothing)
{
    KZGraphicsContext context;
    QPainterPath path;
    path.addRect(10, 10, 50, 50);
    KZVectorImage element(path);
    element.setShouldFill(false);
    element.setShouldStroke(false);
    QImage image = canvas();
    QPainter painter(&image);
    EXPECT_TRUE(context.drawGraphicElement(&painter, &element).isNull());
    painter.end();
    EXPECT_EQ(image, canvas());
    EXPECT_TRUE(context.drawGraphicElement(nullptr, &element).isNull());
    EXPECT_TRUE(context.drawGraphicElement(&painter, nullptr).isNull());
}

TEST(KZGraphicsContext, FillUsesTheWindingRuleAndStrokeLiesOnTop)
{
    Antialias off(false);
    // Two overlapping squares drawn the same way round: with even-odd the
    // overlap would stay empty.
    QPainterPath path;
    path.addRect(10, 10, 40, 40);
    path.addRect(30, 30, 40, 40);
    KZVectorImage element(path);
    element.setShouldFill(true);
    element.setFillColor(Qt::blue);
    element.setStrokeColor(Qt::red);
    element.setLineSize(4);
    KZGraphicsContext context;
    QImage image = canvas();
    QPainter painter(&image);
    const QRectF drawn = context.drawGraphicElement(&painter, &element);
    painter.end();
    EXPECT_EQ(drawn, element.bounds());
    EXPECT_EQ(image.pixelColor(40, 40), QColor(Qt::blue)) << "the overlap is filled";
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(10, 30), QColor(Qt::red)) << "the stroke covers the fill's edge";
}

TEST(KZGraphicsContext, StrokeWidthDoesNotGrowWithTheElement)
{
    Antialias off(false);
    struct Case {
        double scale;
    } const cases[] = {{1}, {4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        QPainterPath path;
        path.addRect(0, 0, 10, 10);
        KZVectorImage element(path);
        element.setPosition({50, 50});
        element.setScale({c.scale, c.scale});
        element.setLineSize(2);
        KZGraphicsContext context;
        QImage image = canvas();
        QPainter painter(&image);
        context.drawGraphicElement(&painter, &element);
        painter.end();
        // Count the painted pixels along the middle row: two edges of 2.
        int painted = 0;
        for (int x = 0; x < image.width(); ++x)
            painted += image.pixelColor(x, 50).alpha() > 0;
        EXPECT_EQ(painted, 4);
    }
}

TEST(KZGraphicsContext, AntialiasingFollowsTheSettingForVectorsOnly)
{
    QPainterPath path;
    path.addEllipse(QRectF(10, 10, 60, 40));
    KZVectorImage vector(path);
    vector.setShouldFill(true);
    vector.setFillColor(Qt::black);
    vector.setOrientation(17);
    QImage picture(30, 20, QImage::Format_RGBA8888_Premultiplied);
    picture.fill(Qt::black);
    auto bitmap = KZBitmapImage::bitmapWithImage(picture);
    bitmap->setPosition({50, 50});
    bitmap->setOrientation(17);
    bitmap->setSize({45, 30});

    struct Case {
        bool allow;
        bool vectorSoft;
    } const cases[] = {{true, true}, {false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.allow);
        Antialias setting(c.allow);
        KZGraphicsContext context;
        QImage a = canvas();
        QPainter pa(&a);
        context.drawGraphicElement(&pa, &vector);
        pa.end();
        EXPECT_EQ(partialPixels(a) > 0, c.vectorSoft);
        QImage b = canvas();
        QPainter pb(&b);
        context.drawGraphicElement(&pb, bitmap.get());
        pb.end();
        EXPECT_EQ(partialPixels(b), 0) << "bitmaps keep hard edges";
    }
}

TEST(KZGraphicsContext, DrawingAtAPointPutsTheBoundsOriginThere)
{
    Antialias off(false);
    QPainterPath path;
    path.addRect(200, 300, 20, 10);
    KZVectorImage element(path);
    element.setLineSize(0);
    element.setShouldFill(true);
    element.setFillColor(Qt::blue);
    element.setShouldStroke(false);
    KZGraphicsContext context;
    QImage image = canvas();
    QPainter painter(&image);
    // The answer is the element's own bounds, wherever it was drawn.
    EXPECT_EQ(context.drawGraphicElement(&painter, &element, QPointF(5, 5), false), element.bounds());
    painter.end();
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(5 + 25, 5 + 5).alpha(), 0);
}
