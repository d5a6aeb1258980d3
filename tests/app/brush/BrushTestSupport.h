#pragma once

// Helpers shared by the brush engine tests.
#include "ColorAdapterRegistry.h"
#include "DabSurface.h"
#include "DevicePainter.h"
#include "PixelDevice.h"
#include "Surface.h"

#include <QFileInfo>
#include <QImage>
#include <array>
#include <memory>
#include <vector>

// A brush file of tests/data/brushes. The data folder comes from the test
// environment when it is set, else from where this file lies.
inline QString brushFixture(const QString& name)
{
    QString data = QString::fromLocal8Bit(qgetenv("VELUMO_TEST_DATA"));
    if (data.isEmpty())
        data = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../data");
    return data + QStringLiteral("/brushes/") + name;
}

// A canvas bitmap with the surface objects the brush tool makes around it.
class TestCanvas
{
public:
    TestCanvas(int width, int height, QColor fill = Qt::transparent)
        : image(width, height, QImage::Format_RGBA8888_Premultiplied)
    {
        image.fill(fill);
        adapter = ColorAdapterRegistry::instance()->colorSpaceForContext(&image);
        device = std::make_unique<PixelDevice>(&image, adapter.get());
        painter = std::make_unique<DevicePainter>(device.get());
        surface = std::make_unique<DabSurface>(&image, device.get(), painter.get());
    }

    // Pixel bytes (R, G, B, A) at engine coordinates: row 0 is the bottom scanline.
    std::array<int, 4> engineAt(int x, int engineRow) const
    {
        const uchar* p = image.constScanLine(image.height() - 1 - engineRow) + 4 * x;
        return {p[0], p[1], p[2], p[3]};
    }

    QImage image;
    std::unique_ptr<ColorAdapter> adapter;
    std::unique_ptr<PixelDevice> device;
    std::unique_ptr<DevicePainter> painter;
    std::unique_ptr<DabSurface> surface;
};

// A surface that records every dab and answers samples with a fixed colour.
class RecordingSurface : public Surface
{
public:
    struct Dab
    {
        float x, y, radius, r, g, b, opacity, hardness, eraserTargetAlpha, ratio, angle;
    };

    bool render_dab(float x, float y, float radius, float r, float g, float b, float opacity, float hardness,
                    float eraserTargetAlpha, float ratio, float angle) override
    {
        dabs.push_back({x, y, radius, r, g, b, opacity, hardness, eraserTargetAlpha, ratio, angle});
        return result;
    }

    void sample_color(float x, float y, float radius, float& r, float& g, float& b, float& a) override
    {
        samples.push_back({x, y, radius});
        r = sample[0];
        g = sample[1];
        b = sample[2];
        a = sample[3];
    }

    bool result = true;
    std::array<float, 4> sample {1.0f, 0.0f, 0.0f, 0.0f};
    std::vector<Dab> dabs;
    std::vector<std::array<float, 3>> samples;
};
