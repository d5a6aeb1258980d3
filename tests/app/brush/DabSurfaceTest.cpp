// Rendering dabs into canvas bitmaps and sampling their colour.
#include "BrushColorConversion.h"
#include "BrushTestSupport.h"
#include "DabBlend.h"
#include "DabBrushResource.h"
#include "DabRowKernel.h"

#include <QRandomGenerator>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using Px = std::array<int, 4>;

namespace {

// Whether the pixel centre lies within radius of (x, y), engine coordinates.
bool inside(int px, int row, float x, float y, float radius)
{
    const float dx = float(px) + 0.5f - x, dy = float(row) + 0.5f - y;
    return dx * dx + dy * dy <= radius * radius;
}

bool sameImage(const QImage& a, const QImage& b)
{
    return a.size() == b.size() && a.convertToFormat(QImage::Format_RGBA8888_Premultiplied) == b;
}

} // namespace

TEST(DabSurface, HardDabPaintsTheDiscAndOnlyTheDisc)
{
    TestCanvas canvas(40, 30);
    const float x = 17.3f, y = 11.6f, r = 5.4f;
    EXPECT_TRUE(canvas.surface->render_dab(x, y, r, 1, 0, 0, 1, 1, 1, 1, 0));
    for (int row = 0; row < 30; ++row) {
        for (int px = 0; px < 40; ++px) {
            const Px expected = inside(px, row, x, y, r) ? Px {255, 0, 0, 255} : Px {0, 0, 0, 0};
            ASSERT_EQ(canvas.engineAt(px, row), expected) << px << "," << row;
        }
    }
    // Engine row 0 is the bottom scanline: the dab sits nearer the bottom.
    EXPECT_EQ(canvas.image.pixelColor(17, 30 - 1 - 11), QColor(255, 0, 0));
    EXPECT_EQ(canvas.image.pixelColor(17, 11).alpha(), 0);
}

TEST(DabSurface, BlendArithmetic)
{
    struct Case { const char* what; QColor fill; float opacity, hardness, eraser; Px centre; };
    const Case cases[] = {
        {"half red over white", Qt::white, 0.5f, 1.0f, 1.0f, {255, 128, 128, 255}},
        {"erase opaque", QColor(10, 200, 30), 1.0f, 1.0f, 0.0f, {0, 0, 0, 0}},
        {"half erase white", Qt::white, 0.5f, 1.0f, 0.0f, {128, 128, 128, 128}},
        {"red over transparent", Qt::transparent, 1.0f, 1.0f, 1.0f, {255, 0, 0, 255}},
        // Soft: at the very centre p = 1, so the hard values hold there too.
        {"soft centre", Qt::white, 0.5f, 0.5f, 1.0f, {255, 128, 128, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestCanvas canvas(16, 16, c.fill);
        EXPECT_TRUE(canvas.surface->render_dab(8.5f, 8.5f, 3.0f, 1, 0, 0, c.opacity, c.hardness, c.eraser, 1, 0));
        EXPECT_EQ(canvas.engineAt(8, 8), c.centre);
        EXPECT_EQ(canvas.engineAt(0, 0), canvas.engineAt(15, 15)); // untouched corners
    }
}

TEST(DabSurface, SoftDabFadesTowardsTheRim)
{
    TestCanvas canvas(32, 8, Qt::white);
    canvas.surface->render_dab(10.5f, 4.5f, 8.0f, 0, 0, 1, 1, 0.5f, 1, 1, 0);
    // Along the row through the centre, red falls as blue rises towards the centre.
    int previous = 0;
    for (int px = 2; px <= 10; ++px) {
        const int blueOverRed = 255 - canvas.engineAt(px, 4)[0];
        EXPECT_GE(blueOverRed, previous) << px;
        previous = blueOverRed;
    }
    EXPECT_EQ(canvas.engineAt(10, 4), (Px {0, 0, 255, 255}));
    // rr = 0.75 with hardness 0.5: p = 1 × (1 - 0.75) = 0.25, a8 = 63.
    // The pixel at x = 3 has its centre 7 px away: rr = 49/64.
    const float rr = 49.0f / 64.0f;
    const int a8 = int((1.0f - rr) * 1.0f * 255.0f);
    EXPECT_EQ(canvas.engineAt(3, 4), (Px {(255 * (255 - a8)) / 255, (255 * (255 - a8)) / 255, (255 * (255 - a8) + 255 * a8) / 255, 255}));
}

TEST(DabSurface, EllipseCoversHalfTheRadiusAcross)
{
    TestCanvas canvas(40, 40);
    canvas.surface->render_dab(20.0f, 20.0f, 10.0f, 0, 1, 0, 1, 1, 1, 2.0f, 0.0f);
    EXPECT_EQ(canvas.engineAt(29, 20)[3], 255); // 9.5 px along the long side
    EXPECT_EQ(canvas.engineAt(20, 24)[3], 255); // 4.5 px across
    EXPECT_EQ(canvas.engineAt(20, 25)[3], 0);   // 5.5 px across: outside
    // Turned by 90 degrees the ellipse stands upright.
    TestCanvas turned(40, 40);
    turned.surface->render_dab(20.0f, 20.0f, 10.0f, 0, 1, 0, 1, 1, 1, 2.0f, 90.0f);
    EXPECT_EQ(turned.engineAt(20, 29)[3], 255);
    EXPECT_EQ(turned.engineAt(25, 20)[3], 0);
}

TEST(DabSurface, AFullyCoveredPixelTakesTheChosenLevelsExactly)
{
    // The colour reaches the surface as the brush holds it: 8-bit levels as
    // floats, turned into hue, saturation and value and back. A hard opaque
    // dab must then leave exactly the chosen bytes, over dark and light alike.
    struct Case { const char* what; QColor fill; };
    const Case backgrounds[] = {{"over black", Qt::black}, {"over white", Qt::white}};
    for (const Case& background : backgrounds) {
        SCOPED_TRACE(background.what);
        for (int level = 0; level < 256; ++level) {
            const std::array<int, 3> chosen {level, 255 - level, (level * 37 + 128) % 256};
            float r, g, b, a;
            QColor(chosen[0], chosen[1], chosen[2]).getRgbF(&r, &g, &b, &a);
            rgb_to_hsv(r, g, b);
            hsv_to_rgb(r, g, b);
            TestCanvas canvas(8, 8, background.fill);
            ASSERT_TRUE(canvas.surface->render_dab(4.0f, 4.0f, 2.0f, r, g, b, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f));
            ASSERT_EQ(canvas.engineAt(4, 4), (Px {chosen[0], chosen[1], chosen[2], 255}))
                << "chosen " << chosen[0] << "," << chosen[1] << "," << chosen[2];
        }
    }
    // Spring, as the crayon list names it.
    TestCanvas spring(8, 8, Qt::black);
    spring.surface->render_dab(4.0f, 4.0f, 2.0f, 0.0f, 1.0f, float(32896.0 / 65535.0), 1.0f, 1.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_EQ(spring.engineAt(4, 4), (Px {0, 255, 128, 255}));
}

TEST(DabSurface, InvisibleDabsDrawNothingButGrowTheDirtyRect)
{
    struct Case { float radius, opacity, hardness; };
    for (const Case& c : {Case {0.05f, 1, 1}, Case {4, 1, 0}, Case {4, 0, 1}, Case {4, 1, -1}, Case {4, 1, NAN}}) {
        TestCanvas canvas(20, 20, Qt::white);
        const QImage before = canvas.image.copy();
        EXPECT_FALSE(canvas.surface->render_dab(10.7f, 9.2f, c.radius, 1, 0, 0, c.opacity, c.hardness, 1, 1, 0));
        EXPECT_TRUE(sameImage(before, canvas.image));
        const int f = int(1.0f * c.radius + 2.0f);
        EXPECT_EQ(canvas.surface->dirtyRect(), QRectF(10 - f, 9 - f, 2 * f, 2 * f)) << c.radius;
    }
}

TEST(DabSurface, DirtyRectIsTheClippedUnionInBothOrientations)
{
    TestCanvas canvas(50, 40);
    canvas.surface->render_dab(10.2f, 5.9f, 3.0f, 1, 0, 0, 1, 1, 1, 1, 0);
    EXPECT_EQ(canvas.surface->dirtyRect(), QRectF(5, 0, 10, 10)); // (10 - 5, 5 - 5) clipped at the bottom
    canvas.surface->render_dab(30.0f, 20.0f, 3.0f, 1, 0, 0, 1, 2.0f, 1, 1.5f, 45);
    EXPECT_EQ(canvas.surface->dirtyRect(), QRectF(5, 0, 31, 26)); // f = 6 for ratio 1.5
    // Turned over into the top-down bitmap.
    EXPECT_EQ(canvas.surface->imageDirtyRect(), QRectF(5, 14, 31, 26));

    // Far off the bitmap nothing is added and nothing converted to integers.
    for (float far : {-1e30f, 1e30f, 3e9f}) {
        EXPECT_TRUE(canvas.surface->render_dab(far, far, 5.0f, 1, 0, 0, 1, 1, 1, 1, 0));
        EXPECT_EQ(canvas.surface->dirtyRect(), QRectF(5, 0, 31, 26));
    }
    // A dab covering everything clips to the bitmap.
    canvas.surface->render_dab(25, 20, 1e30f, 0, 0, 1, 1, 1, 1, 1, 0);
    EXPECT_EQ(canvas.surface->dirtyRect(), QRectF(0, 0, 50, 40));
    EXPECT_EQ(canvas.engineAt(49, 39), (Px {0, 0, 255, 255}));
}

TEST(DabSurface, ValuesThatAreNotNumbersAreRefusedOrHeld)
{
    TestCanvas canvas(20, 20, Qt::white);
    const QImage before = canvas.image.copy();
    EXPECT_FALSE(canvas.surface->render_dab(NAN, 5, 3, 1, 0, 0, 1, 1, 1, 1, 0));
    EXPECT_FALSE(canvas.surface->render_dab(5, INFINITY, 3, 1, 0, 0, 1, 1, 1, 1, 0));
    EXPECT_FALSE(canvas.surface->render_dab(5, 5, NAN, 1, 0, 0, 1, 1, 1, 1, 0));
    EXPECT_FALSE(canvas.surface->render_dab(5, 5, 3, 1, 0, 0, 1, 1, 1, 1, NAN));
    EXPECT_FALSE(canvas.surface->render_dab(5, 5, 3, 1, 0, 0, 1, 1, 1, INFINITY, 0));
    EXPECT_TRUE(sameImage(before, canvas.image));
    EXPECT_TRUE(canvas.surface->dirtyRect().isNull());

    // Colour, opacity and eraser values out of range are held to 0..1.
    EXPECT_TRUE(canvas.surface->render_dab(5.5f, 5.5f, 2, NAN, 7.0f, -3.0f, 9.0f, 1, 2.0f, NAN, 0));
    EXPECT_EQ(canvas.engineAt(5, 5), (Px {0, 255, 0, 255}));
}

TEST(DabSurface, OddSizedCanvasPaintsToItsLastRowAndColumn)
{
    TestCanvas canvas(637, 483, Qt::white);
    // One dab in each corner: every corner cell is a partial 8 x 8 cell on
    // at least one side (637 = 79 × 8 + 5, 483 = 60 × 8 + 3).
    const float corners[4][2] = {{0.5f, 0.5f}, {636.5f, 0.5f}, {0.5f, 482.5f}, {636.5f, 482.5f}};
    for (const auto& c : corners)
        EXPECT_TRUE(canvas.surface->render_dab(c[0], c[1], 3.0f, 1, 0, 0, 1, 1, 1, 1, 0));
    for (const QPoint p : {QPoint(0, 0), QPoint(636, 0), QPoint(0, 482), QPoint(636, 482), QPoint(634, 481)})
        EXPECT_EQ(canvas.image.pixelColor(p), QColor(255, 0, 0)) << p.x() << "," << p.y();

    // A brush stroke along the right edge reaches the top corner.
    DabBrushResource brush(QString {});
    brush.brush()->random_source().seed(1);
    brush.set_base_value(BrushSettingIndex::opaque, 1.0f);
    brush.set_base_value(BrushSettingIndex::hardness, 1.0f);
    brush.set_base_value(BrushSettingIndex::radius_logarithmic, std::log(2.0f));
    brush.set_base_value(BrushSettingIndex::dabs_per_basic_radius, 2.0f);
    brush.set_color_rgb(QColor(Qt::blue));
    canvas.surface->setDirtyRect(QRectF());
    brush.stroke_to_surface(canvas.surface.get(), 636.5f, 0.0f, 1.0f, 0, 0, 10.0);
    for (int i = 1; i <= 10; ++i)
        brush.stroke_to_surface(canvas.surface.get(), 636.5f, 48.3f * float(i), 1.0f, 0, 0, 0.02);
    for (int y = 0; y < 483; ++y)
        ASSERT_EQ(canvas.image.pixelColor(636, y), QColor(0, 0, 255)) << y;
    EXPECT_EQ(canvas.surface->dirtyRect().right(), 637.0);
    EXPECT_EQ(canvas.surface->dirtyRect().bottom(), 483.0);
    EXPECT_EQ(canvas.surface->imageDirtyRect().top(), 0.0);
}

TEST(DabSurface, SampleColour)
{
    TestCanvas uniform(29, 21, QColor(51, 102, 204));
    float r, g, b, a;
    uniform.surface->sample_color(10, 10, 4, r, g, b, a);
    EXPECT_NEAR(r, 0.2f, 1e-5);
    EXPECT_NEAR(g, 0.4f, 1e-5);
    EXPECT_NEAR(b, 0.8f, 1e-5);
    EXPECT_NEAR(a, 1.0f, 1e-5);
    // The partial cells along the edges are read: a corner gives the same colour.
    uniform.surface->sample_color(28, 20, 6, r, g, b, a);
    EXPECT_NEAR(b, 0.8f, 1e-5);
    EXPECT_NEAR(a, 1.0f, 1e-5);

    TestCanvas clear(16, 16);
    clear.surface->sample_color(8, 8, 3, r, g, b, a);
    EXPECT_EQ((std::array<float, 4> {r, g, b, a}), (std::array<float, 4> {1, 0, 0, 0}));
    // Wholly off the bitmap reads as transparent; so do positions that are not numbers.
    uniform.surface->sample_color(-50, 10, 3, r, g, b, a);
    EXPECT_EQ((std::array<float, 4> {r, g, b, a}), (std::array<float, 4> {1, 0, 0, 0}));
    uniform.surface->sample_color(NAN, 10, 3, r, g, b, a);
    EXPECT_EQ(a, 0.0f);

    // Half-transparent premultiplied pixels come back un-premultiplied.
    TestCanvas half(16, 16, QColor(0, 255, 0, 128));
    half.surface->sample_color(8, 8, 0.2f, r, g, b, a); // radius raised to 1
    EXPECT_NEAR(g, 1.0f, 1e-2);
    EXPECT_NEAR(a, 128.0f / 255.0f, 1e-2);
}

TEST(DabSurface, SeparateSourceAndTarget)
{
    QImage source(12, 12, QImage::Format_RGBA8888_Premultiplied), target(12, 12, QImage::Format_RGBA8888_Premultiplied);
    source.fill(Qt::white);
    target.fill(Qt::black);
    auto* registry = ColorAdapterRegistry::instance();
    auto sourceAdapter = registry->colorSpaceForContext(&source);
    auto targetAdapter = registry->colorSpaceForContext(&target);
    PixelDevice sourceDevice(&source, sourceAdapter.get()), targetDevice(&target, targetAdapter.get());
    DevicePainter painter(&targetDevice);
    DabSurface surface(&target, &sourceDevice, &painter);
    surface.render_dab(6, 6, 2.5f, 1, 0, 0, 0.5f, 1, 1, 1, 0);
    EXPECT_EQ(target.pixelColor(6, 5), QColor(255, 128, 128)); // read from the white source
    EXPECT_EQ(target.pixelColor(6, 8), QColor(255, 255, 255)); // inside the box: copied over
    EXPECT_EQ(target.pixelColor(0, 0), QColor(0, 0, 0));      // outside the box: untouched
    EXPECT_EQ(source.pixelColor(6, 5), QColor(255, 255, 255));
}

TEST(DabSurface, NoBitmapNoPainting)
{
    QImage none;
    auto adapter = ColorAdapterRegistry::instance()->colorSpaceForContext(&none);
    PixelDevice device(&none, adapter.get());
    DevicePainter painter(&device);
    DabSurface surface(&none, &device, &painter);
    EXPECT_TRUE(surface.render_dab(1, 1, 3, 1, 0, 0, 1, 1, 1, 1, 0));
    float r, g, b, a;
    surface.sample_color(1, 1, 3, r, g, b, a);
    EXPECT_EQ(a, 0.0f);
    EXPECT_TRUE(surface.dirtyRect().isNull());
    EXPECT_EQ(adapter->pixelSize(), 0);
}

TEST(DabSurface, VectorRowKernelsMatchThePlainLoop)
{
    using DabRowKernel::Path;
    QRandomGenerator rng(4242);
    auto uniform = [&](float lo, float hi) { return lo + float(rng.generateDouble()) * (hi - lo); };
    for (int trial = 0; trial < 400; ++trial) {
        const int n = 1 + int(rng.bounded(70));
        std::vector<unsigned char> source(size_t(n) * 4);
        for (size_t i = 0; i < source.size(); i += 4) {
            const int alpha = int(rng.bounded(256));
            source[i + 3] = uchar(alpha);
            for (int k = 0; k < 3; ++k)
                source[i + size_t(k)] = uchar(rng.bounded(alpha + 1));
        }
        const float radius = uniform(0.5f, 40.0f);
        const float angle = uniform(0.0f, 6.3f);
        const float x = uniform(-5.0f, float(n) + 5.0f);
        std::vector<float> cosTerms(static_cast<size_t>(n)), sinTerms(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const float dx = float(i) + 0.5f - x;
            cosTerms[size_t(i)] = dx * std::cos(angle);
            sinTerms[size_t(i)] = dx * std::sin(angle);
        }
        const float dy = uniform(-radius, radius);
        DabRowShape shape;
        shape.columnCos = cosTerms.data();
        shape.columnSin = sinTerms.data();
        shape.rowSin = dy * std::sin(angle);
        shape.rowCos = dy * std::cos(angle);
        shape.ratio = trial % 3 == 0 ? 1.0f : uniform(1.0f, 4.0f);
        shape.inverseRadius2 = 1.0f / (radius * radius);
        shape.opacity = uniform(0.0f, 1.0f);
        shape.eraserTargetAlpha = trial % 5 == 0 ? 0.0f : uniform(0.0f, 1.0f);
        shape.hard = trial % 2 == 0;
        shape.hardness = shape.hard ? 1.0f : uniform(0.01f, 0.99f);
        shape.hardnessFactor = shape.hard ? 0.0f : shape.hardness / (1.0f - shape.hardness);
        shape.hardAlpha = int(shape.opacity * 255.0f);
        shape.hardErase = int(float(shape.hardAlpha) * shape.eraserTargetAlpha);
        for (int k = 0; k < 3; ++k)
            shape.color[k] = uint16_t(rng.bounded(256));

        std::vector<unsigned char> expected = source;
        DabRowKernel::render(Path::Scalar, expected.data(), expected.data(), n, shape);
        for (size_t i = 0; i < expected.size(); i += 4)
            ASSERT_LE(std::max({expected[i], expected[i + 1], expected[i + 2]}), expected[i + 3]); // still premultiplied
        std::vector<unsigned char> allInside = source;
        DabRowShape everywhere = shape;
        everywhere.hard = true;
        DabRowKernel::renderInside(Path::Scalar, allInside.data(), n, everywhere);

        for (Path path : {Path::Sse2}) {
            if (!DabRowKernel::available(path))
                continue;
            std::vector<unsigned char> inPlace = source;
            DabRowKernel::render(path, inPlace.data(), inPlace.data(), n, shape);
            ASSERT_EQ(inPlace, expected) << "trial " << trial << " path " << int(path);
            std::vector<unsigned char> separate(source.size(), 7);
            DabRowKernel::render(path, source.data(), separate.data(), n, shape);
            ASSERT_EQ(separate, expected) << "separate target, trial " << trial;
            std::vector<unsigned char> inside = source;
            DabRowKernel::renderInside(path, inside.data(), n, everywhere);
            ASSERT_EQ(inside, allInside) << "inside, trial " << trial;
        }
    }
}

namespace {

// The dab exactly as the renderer defines it, pixel by pixel over the whole
// bitmap with no shortcuts: each offset measured inside the pixel's 8 × 8 cell.
void referenceDab(QImage& image, float x, float y, float radius, const std::array<int, 3>& color, float opacity,
                  float hardness, float eraser, float ratio, float angle)
{
    ratio = std::max(ratio, 1.0f);
    const float h = std::min(hardness, 1.0f);
    const float a = angle / 360.0f * 2.0f * float(M_PI);
    const float cs = std::cos(a), sn = std::sin(a);
    const float inverse = 1.0f / (radius * radius);
    const int A = int(opacity * 255.0f), E = int(float(A) * eraser);
    for (int row = 0; row < image.height(); ++row) {
        uchar* line = image.scanLine(image.height() - 1 - row);
        const float dy = float(row % 8) + 0.5f - (y - float(8 * (row / 8)));
        for (int px = 0; px < image.width(); ++px) {
            const float dx = float(px % 8) + 0.5f - (x - float(8 * (px / 8)));
            const float xr = dx * cs + dy * sn;
            const float yr = (dy * cs - dx * sn) * ratio;
            const float rr = (xr * xr + yr * yr) * inverse;
            if (rr > 1.0f)
                continue;
            int a8 = A, e8 = E;
            if (h < 1.0f) {
                const float p = rr < h ? rr + 1.0f - rr / h : h / (1.0f - h) * (1.0f - rr);
                a8 = int(p * opacity * 255.0f);
                e8 = int(float(a8) * eraser);
            }
            uchar* p = line + 4 * px;
            for (int k = 0; k < 3; ++k)
                p[k] = uchar((p[k] * (255 - a8) + color[size_t(k)] * e8) / 255);
            p[3] = uchar(std::min(255, p[3] * (255 - a8) / 255 + e8));
        }
    }
}

} // namespace

TEST(DabSurface, RenderingMatchesTheReferenceDab)
{
    QRandomGenerator rng(77);
    auto uniform = [&](float lo, float hi) { return lo + float(rng.generateDouble()) * (hi - lo); };
    TestCanvas canvas(83, 61);
    QImage expected(83, 61, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 83; ++x)
            expected.setPixelColor(x, y, QColor(x * 3, y * 4, (x * y) % 256, 128 + (x + y) % 128));
    canvas.image = expected.copy(); // the surface paints through the devices into this very image
    for (int dab = 0; dab < 300; ++dab) {
        const float radius = dab % 10 == 0 ? uniform(30.0f, 60.0f) : uniform(0.2f, 14.0f);
        const float x = uniform(-10.0f, 93.0f), y = uniform(-10.0f, 71.0f);
        const std::array<int, 3> color {int(rng.bounded(256)), int(rng.bounded(256)), int(rng.bounded(256))};
        const float opacity = uniform(0.05f, 1.0f);
        const float hardness = dab % 2 ? 1.0f : uniform(0.05f, 0.95f);
        const float eraser = dab % 7 == 0 ? 0.0f : uniform(0.0f, 1.0f);
        const float ratio = dab % 3 == 0 ? 1.0f : uniform(1.0f, 6.0f);
        const float angle = uniform(0.0f, 180.0f);
        canvas.surface->render_dab(x, y, radius, float(color[0]) / 255.0f + 0.001f, float(color[1]) / 255.0f + 0.001f,
                                   float(color[2]) / 255.0f + 0.001f, opacity, hardness, eraser, ratio, angle);
        referenceDab(expected, x, y, radius, color, opacity, hardness, eraser, ratio, angle);
        ASSERT_TRUE(canvas.image == expected) << "dab " << dab << " at " << x << "," << y << " r " << radius;
    }
}

TEST(PixelDevice, ReadsAndWritesWholeRectanglesInEngineRows)
{
    QImage image(10, 6, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    auto adapter = ColorAdapterRegistry::instance()->colorSpaceForContext(&image);
    EXPECT_EQ(adapter->pixelSize(), 4);
    EXPECT_EQ(adapter->allocPixelBuffer(0, true, 1), nullptr);
    auto buffer = adapter->allocPixelBuffer(6, true, 9);
    EXPECT_EQ(buffer[23], 9);
    PixelDevice device(&image, adapter.get());

    unsigned char pixels[2 * 3 * 4];
    for (int i = 0; i < 24; ++i)
        pixels[i] = uchar(i * 10);
    device.writeBytes(pixels, 8, 0, 2, 3); // the bottom-right corner
    EXPECT_EQ(image.constScanLine(5)[8 * 4], 0);
    EXPECT_EQ(image.constScanLine(5)[9 * 4 + 3], 70);
    EXPECT_EQ(image.constScanLine(3)[8 * 4], 160);

    unsigned char back[24] = {};
    device.readBytes(back, 8, 0, 2, 3);
    EXPECT_EQ(std::vector<unsigned char>(back, back + 24), std::vector<unsigned char>(pixels, pixels + 24));

    // Rectangles reaching outside do nothing.
    unsigned char untouched[24] = {};
    for (auto [x, y, w, h] : {std::array<int, 4> {9, 0, 2, 3}, {8, 4, 2, 3}, {-1, 0, 2, 3}, {0, -1, 2, 3}, {0, 0, -2, 3}}) {
        device.readBytes(untouched, x, y, w, h);
        device.writeBytes(untouched, x, y, w, h);
    }
    EXPECT_EQ(std::count(untouched, untouched + 24, 0), 24);
    device.readBytes(back, 8, 0, 2, 3);
    EXPECT_EQ(std::vector<unsigned char>(back, back + 24), std::vector<unsigned char>(pixels, pixels + 24));

    unsigned char converted[8] = {};
    EXPECT_TRUE(adapter->convertPixelsTo(pixels, converted, adapter.get(), 2));
    EXPECT_EQ(converted[7], 70);
}

TEST(DabBlend, FixedPointRoutines)
{
    const uint16_t one = 32768;
    // Two pixels, skip one pixel (4 channels), one more pixel, end.
    const uint16_t mask[] = {one, one / 2, 0, 4, one, 0, 0};
    uint16_t pixels[4 * 4] = {};
    DabBlend::blend_normal(mask, pixels, one, 0, 0, one);
    EXPECT_EQ(pixels[0], one);
    EXPECT_EQ(pixels[3], one);
    EXPECT_EQ(pixels[4], one / 2);
    EXPECT_EQ(pixels[7], one / 2);
    EXPECT_EQ(pixels[11], 0); // skipped
    EXPECT_EQ(pixels[12], one);

    DabBlend::blend_eraser(mask, pixels, 0, 0, 0, 0, one); // colour alpha 0: erase
    EXPECT_EQ(pixels[3], 0);
    EXPECT_EQ(pixels[7], one / 4);

    uint16_t locked[4] = {0, 0, 0, one / 2};
    const uint16_t single[] = {one, 0, 0};
    DabBlend::blend_lock_alpha(single, locked, 0, one, 0, one);
    EXPECT_EQ(locked[1], one / 2);
    EXPECT_EQ(locked[3], one / 2);

    float w = 0, r = 0, g = 0, b = 0, a = 0;
    const uint16_t all[] = {one, 0, 0};
    uint16_t grey[4] = {one / 4, one / 4, one / 4, one / 2};
    DabBlend::accumulate_color(all, grey, w, r, g, b, a);
    EXPECT_EQ(w, float(one));
    EXPECT_EQ(r, float(one / 4));
    EXPECT_EQ(a, float(one / 2));
}

TEST(DabSurface, AStrokeWhoseDabsChangeOneThingAtATimeMatchesTheReference)
{
    // The surface keeps what a dab's size, ratio and angle give for the next
    // dab: every change of one of them (or of anything else a dab takes),
    // and every dab that changes nothing, must still give the reference's
    // bytes.
    struct Dab
    {
        float x, y, radius;
        std::array<int, 3> color;
        float opacity, hardness, eraser, ratio, angle;
    };
    const Dab start {30.3f, 22.6f, 9.5f, {200, 40, 90}, 0.7f, 1.0f, 1.0f, 1.0f, 30.0f};
    const std::vector<std::function<void(Dab&)>> changes = {
        [](Dab&) {}, // the same dab again
        [](Dab& d) { d.x += 0.75f; },
        [](Dab& d) { d.angle = 31.0f; },
        [](Dab& d) { d.ratio = 2.5f; },
        [](Dab& d) { d.angle = 120.0f; },
        [](Dab& d) { d.radius = 13.25f; },
        [](Dab& d) { d.y -= 1.5f; },
        [](Dab& d) { d.hardness = 0.4f; },
        [](Dab& d) { d.color = {10, 250, 30}; },
        [](Dab& d) { d.opacity = 0.3f; },
        [](Dab& d) { d.eraser = 0.5f; },
        [](Dab& d) { d.ratio = 1.0f; },
        [](Dab& d) { d.angle = 0.0f; },
        [](Dab& d) { d.angle = -0.0f; },
        [](Dab& d) { d.radius = 2.5f; },
        [](Dab& d) { d.hardness = 1.0f; },
        [](Dab& d) { d.radius = 40.0f; }, // a box wide enough to be split into spans
        [](Dab& d) { d.angle = 75.0f; },
        [](Dab& d) { d.ratio = 4.0f; },
        [](Dab& d) { d.radius = 9.5f; },
    };
    TestCanvas canvas(97, 71);
    QImage background(97, 71, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 71; ++y)
        for (int x = 0; x < 97; ++x)
            background.setPixelColor(x, y, QColor((x * 5) % 256, y * 3, (x + y) % 256, 100 + (x * y) % 156));
    Dab dab = start;
    for (size_t step = 0; step < changes.size(); ++step) {
        changes[step](dab);
        // Each change is painted twice: once as a change, once as a repeat.
        // Each dab on the background alone, as dabs painted over each other
        // soon reach the colour and would hide a wrong one.
        for (int again = 0; again < 2; ++again) {
            canvas.image = background.copy(); // the surface paints through the devices into this very image
            QImage expected = background.copy();
            canvas.surface->render_dab(dab.x, dab.y, dab.radius, float(dab.color[0]) / 255.0f + 0.001f,
                                       float(dab.color[1]) / 255.0f + 0.001f, float(dab.color[2]) / 255.0f + 0.001f,
                                       dab.opacity, dab.hardness, dab.eraser, dab.ratio, dab.angle);
            referenceDab(expected, dab.x, dab.y, dab.radius, dab.color, dab.opacity, dab.hardness, dab.eraser,
                         dab.ratio, dab.angle);
            ASSERT_TRUE(canvas.image == expected) << "step " << step << (again ? " repeated" : "");
        }
    }
}

TEST(DabSurface, EveryRowKernelPathMatchesThePlainLoop)
{
    // Rows of every length from 1 to 40 (whole vector groups and every
    // remainder), soft and hard, full and partial target alpha, the same
    // buffer or a separate one: each path against the plain loop, byte for
    // byte, and the bytes beyond the row untouched.
    using DabRowKernel::Path;
    QRandomGenerator rng(913);
    auto uniform = [&](float lo, float hi) { return lo + float(rng.generateDouble()) * (hi - lo); };
    for (int n = 1; n <= 40; ++n) {
        for (int variant = 0; variant < 8; ++variant) {
            const bool hard = variant & 1, fullTarget = variant & 2, separateTarget = variant & 4;
            const int padded = n + 8;
            std::vector<unsigned char> source(size_t(padded) * 4);
            for (size_t i = 0; i < source.size(); i += 4) {
                const int alpha = int(rng.bounded(256));
                source[i + 3] = uchar(alpha);
                for (int k = 0; k < 3; ++k)
                    source[i + size_t(k)] = uchar(rng.bounded(alpha + 1));
            }
            const float radius = uniform(1.0f, float(n));
            const float angle = uniform(0.0f, 6.3f);
            const float x = uniform(-2.0f, float(n) + 2.0f);
            std::vector<float> cosTerms(static_cast<size_t>(padded)), sinTerms(static_cast<size_t>(padded));
            for (int i = 0; i < padded; ++i) {
                const float dx = float(i) + 0.5f - x;
                cosTerms[size_t(i)] = dx * std::cos(angle);
                sinTerms[size_t(i)] = dx * std::sin(angle);
            }
            const float dy = uniform(-radius, radius);
            DabRowShape shape;
            shape.columnCos = cosTerms.data();
            shape.columnSin = sinTerms.data();
            shape.rowSin = dy * std::sin(angle);
            shape.rowCos = dy * std::cos(angle);
            shape.ratio = uniform(1.0f, 3.0f);
            shape.inverseRadius2 = 1.0f / (radius * radius);
            shape.opacity = uniform(0.05f, 1.0f);
            shape.eraserTargetAlpha = fullTarget ? 1.0f : uniform(0.0f, 1.0f);
            shape.hard = hard;
            shape.hardness = hard ? 1.0f : uniform(0.01f, 0.99f);
            shape.hardnessFactor = hard ? 0.0f : shape.hardness / (1.0f - shape.hardness);
            shape.hardAlpha = int(shape.opacity * 255.0f);
            shape.hardErase = int(float(shape.hardAlpha) * shape.eraserTargetAlpha);
            for (int k = 0; k < 3; ++k)
                shape.color[k] = uint16_t(rng.bounded(256));

            std::vector<unsigned char> expected = source;
            DabRowKernel::render(Path::Scalar, expected.data(), expected.data(), n, shape);
            std::vector<unsigned char> expectedInside = source;
            DabRowShape everywhere = shape;
            everywhere.hard = true;
            DabRowKernel::renderInside(Path::Scalar, expectedInside.data(), n, everywhere);

            for (Path path : {Path::Sse2, Path::Avx2, Path::Avx512}) {
                if (!DabRowKernel::available(path))
                    continue;
                SCOPED_TRACE(testing::Message() << "path " << int(path) << " n " << n << " variant " << variant);
                std::vector<unsigned char> out = separateTarget ? std::vector<unsigned char>(source.size(), 7) : source;
                DabRowKernel::render(path, source.data(), out.data(), n, shape);
                ASSERT_TRUE(std::equal(out.begin(), out.begin() + 4 * n, expected.begin()));
                for (size_t i = size_t(4 * n); i < out.size(); ++i)
                    ASSERT_EQ(out[i], separateTarget ? 7 : source[i]) << "beyond the row, byte " << i;
                std::vector<unsigned char> inside = source;
                DabRowKernel::renderInside(path, inside.data(), n, everywhere);
                ASSERT_EQ(inside, expectedInside);
            }
        }
    }
}

TEST(DabSurface, EveryBoxPathMatchesThePlainLoopRowByRow)
{
    // Whole boxes of rows with their own spans (empty, partial, whole row,
    // with and without a known inside for hard dabs), in place with a
    // negative stride as the surface lays them out: each path against the
    // plain loop over each row's span, and nothing outside the spans touched.
    // The second pass makes every dab round, and soft ones of a hardness
    // whose inverse is exact (a half, a quarter, an eighth).
    using DabRowKernel::Path;
    QRandomGenerator rng(5150);
    auto uniform = [&](float lo, float hi) { return lo + float(rng.generateDouble()) * (hi - lo); };
    for (int pass = 0; pass < 2; ++pass)
    for (int trial = 0; trial < 120; ++trial) {
        const int columns = 1 + int(rng.bounded(trial % 4 == 0 ? 200 : 50));
        const int rows = 1 + int(rng.bounded(40));
        const int padding = 3; // columns on either side that no span reaches
        const int stride = (columns + 2 * padding) * 4;
        std::vector<unsigned char> pixels(size_t(stride) * size_t(rows));
        for (size_t i = 0; i < pixels.size(); i += 4) {
            const int alpha = int(rng.bounded(256));
            pixels[i + 3] = uchar(alpha);
            for (int k = 0; k < 3; ++k)
                pixels[i + size_t(k)] = uchar(rng.bounded(alpha + 1));
        }

        const bool hard = trial % 2 == 0;
        const float radius = uniform(1.0f, float(std::max(columns, rows)));
        const float angle = uniform(0.0f, 6.3f);
        const float x = uniform(-2.0f, float(columns) + 2.0f), y = uniform(-2.0f, float(rows) + 2.0f);
        std::vector<float> cosTerms(static_cast<size_t>(columns)), sinTerms(static_cast<size_t>(columns));
        std::vector<float> rowSin(static_cast<size_t>(rows)), rowCos(static_cast<size_t>(rows));
        for (int i = 0; i < columns; ++i) {
            cosTerms[size_t(i)] = (float(i) + 0.5f - x) * std::cos(angle);
            sinTerms[size_t(i)] = (float(i) + 0.5f - x) * std::sin(angle);
        }
        for (int r = 0; r < rows; ++r) {
            rowSin[size_t(r)] = (float(r) + 0.5f - y) * std::sin(angle);
            rowCos[size_t(r)] = (float(r) + 0.5f - y) * std::cos(angle);
        }
        DabRowShape shape;
        shape.columnCos = cosTerms.data();
        shape.columnSin = sinTerms.data();
        shape.ratio = uniform(1.0f, 3.0f);
        shape.inverseRadius2 = 1.0f / (radius * radius);
        shape.opacity = trial % 11 == 0 ? 0.002f : uniform(0.05f, 1.0f);
        shape.eraserTargetAlpha = trial % 3 == 0 ? 1.0f : uniform(0.0f, 1.0f);
        shape.hard = hard;
        shape.hardness = hard ? 1.0f : uniform(0.01f, 0.99f);
        if (pass == 1) {
            shape.ratio = 1.0f;
            if (!hard)
                shape.hardness = 1.0f / float(2 << (trial % 3));
        }
        shape.hardnessFactor = hard ? 0.0f : shape.hardness / (1.0f - shape.hardness);
        shape.hardAlpha = int(shape.opacity * 255.0f);
        shape.hardErase = int(float(shape.hardAlpha) * shape.eraserTargetAlpha);
        for (int k = 0; k < 3; ++k)
            shape.color[k] = uint16_t(rng.bounded(256));

        // Spans; a hard dab's inside is the longest run of pixels that the
        // distance test puts inside (what the surface promises).
        std::vector<DabRowSpan> spans(static_cast<size_t>(rows));
        for (int r = 0; r < rows; ++r) {
            DabRowSpan& span = spans[size_t(r)];
            switch (rng.bounded(4)) {
            case 0: span = DabRowSpan(); break;
            case 1: span = {0, columns - 1, 0, -1}; break;
            default: {
                const int a = int(rng.bounded(columns)), b = int(rng.bounded(columns));
                span = {std::min(a, b), std::max(a, b), 0, -1};
            }
            }
            if (!hard)
                continue;
            int runStart = -1;
            for (int i = span.first; i <= span.last + 1; ++i) {
                bool in = false;
                if (i <= span.last) {
                    const float xr = cosTerms[size_t(i)] + rowSin[size_t(r)];
                    const float yr = (rowCos[size_t(r)] - sinTerms[size_t(i)]) * shape.ratio;
                    in = (xr * xr + yr * yr) * shape.inverseRadius2 <= 1.0f;
                }
                if (in && runStart < 0)
                    runStart = i;
                if (!in && runStart >= 0) {
                    if (i - runStart > span.insideLast - span.insideFirst + 1)
                        span.insideFirst = runStart, span.insideLast = i - 1;
                    runStart = -1;
                }
            }
        }

        // The plain loop, row by row over each span.
        std::vector<unsigned char> expected = pixels;
        for (int r = 0; r < rows; ++r) {
            const DabRowSpan& span = spans[size_t(r)];
            if (span.first > span.last)
                continue;
            DabRowShape row = shape;
            row.columnCos += span.first;
            row.columnSin += span.first;
            row.rowSin = rowSin[size_t(r)];
            row.rowCos = rowCos[size_t(r)];
            // Rows are laid out upwards: box row r is memory row rows - 1 - r.
            unsigned char* line =
                expected.data() + size_t(stride) * size_t(rows - 1 - r) + size_t(4 * (padding + span.first));
            DabRowKernel::render(Path::Scalar, line, line, span.last - span.first + 1, row);
        }

        for (Path path : {Path::Scalar, Path::Sse2, Path::Avx2, Path::Avx512}) {
            if (!DabRowKernel::available(path))
                continue;
            SCOPED_TRACE(testing::Message() << "path " << int(path) << " pass " << pass << " trial " << trial);
            std::vector<unsigned char> out = pixels;
            DabBox box;
            box.pixels = out.data() + size_t(stride) * size_t(rows - 1) + size_t(4 * padding);
            box.stride = -long(stride);
            box.rows = rows;
            box.rowSin = rowSin.data();
            box.rowCos = rowCos.data();
            box.spans = spans.data();
            DabRowKernel::renderBox(path, box, shape);
            ASSERT_EQ(out, expected);
        }
    }
}
