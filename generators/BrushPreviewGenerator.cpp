// Paints the brush chooser's previews at build time with our own brush
// engine: one S-shaped stroke per brush file.
//   velumo_brush_preview_generator SOURCE_DIR OUT_DIR ENTRY...
// For every entry ("group/name") it reads SOURCE_DIR/group/name.myb and
// writes OUT_DIR/group/name_prev.png. It fails (exit code 1) when a brush
// file is refused or its stroke leaves the picture as it was, so a broken
// brush stops the build instead of shipping.
#include "ColorAdapterRegistry.h"
#include "DabBrushResource.h"
#include "DabSurface.h"
#include "DevicePainter.h"
#include "PixelDevice.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QString>

#include <cmath>
#include <numbers>
#include <cstdio>
#include <memory>

namespace {

constexpr int kPreviewSize = 64;
constexpr int kStrokeEvents = 48;
// Seconds between the stroke's events: a calm, even hand.
constexpr double kEventTimeStep = 0.012;

// Brushes that move or remove paint need paint under them to show anything.
bool needsBackdrop(const DabBrushResource& brush)
{
    return brush.setting_value_by_cname(QStringLiteral("smudge")) > 0.1f || brush.is_eraser();
}

void paintBackdrop(QImage& image)
{
    QPainter painter(&image);
    const QColor bands[] = {QColor(214, 62, 52), QColor(240, 190, 60), QColor(52, 120, 200)};
    const int width = image.width() / 3;
    for (int i = 0; i < 3; ++i)
        painter.fillRect(QRect(i * width, 14, i == 2 ? image.width() - 2 * width : width, image.height() - 28),
                         bands[i]);
}

// The stroke's i-th point, top-down: an S from the lower left to the upper right.
QPointF strokePoint(int i)
{
    const double t = double(i) / (kStrokeEvents - 1);
    const double margin = 10.0;
    const double x = margin + t * (kPreviewSize - 2 * margin);
    const double swing = kPreviewSize / 2.0 - margin - 4.0;
    const double y = kPreviewSize / 2.0 - std::sin(t * 2.0 * std::numbers::pi) * swing + (0.5 - t) * 12.0;
    return {x, y};
}

bool renderPreview(const QString& brushPath, const QString& previewPath)
{
    DabBrushResource brush(brushPath);
    if (!brush.load()) {
        std::fprintf(stderr, "brush preview: %s is refused by the brush reader\n", qPrintable(brushPath));
        return false;
    }
    brush.brush()->random_source().seed(20240611u);
    brush.set_color_rgb(QColor(28, 28, 36));

    QImage image(kPreviewSize, kPreviewSize, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    if (needsBackdrop(brush))
        paintBackdrop(image);
    const QImage before = image.copy();

    const std::unique_ptr<ColorAdapter> adapter = ColorAdapterRegistry::instance()->colorSpaceForContext(&image);
    PixelDevice device(&image, adapter.get());
    DevicePainter painter(&device);
    DabSurface surface(&image, &device, &painter);
    for (int i = 0; i < kStrokeEvents; ++i) {
        const QPointF p = strokePoint(i);
        // The engine counts y upwards; the first event places the brush.
        brush.stroke_to_surface(&surface, float(p.x()), float(kPreviewSize - p.y()), 0.75f, 0.0f, 0.0f,
                                i == 0 ? 10.0 : kEventTimeStep);
    }
    if (image == before) {
        std::fprintf(stderr, "brush preview: %s paints nothing\n", qPrintable(brushPath));
        return false;
    }
    QDir().mkpath(QFileInfo(previewPath).absolutePath());
    if (!image.save(previewPath, "PNG")) {
        std::fprintf(stderr, "brush preview: cannot write %s\n", qPrintable(previewPath));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR OUT_DIR ENTRY...\n", argv[0]);
        return 2;
    }
    const QString sourceDir = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    bool ok = true;
    for (int i = 3; i < argc; ++i) {
        const QString entry = QString::fromLocal8Bit(argv[i]);
        ok = renderPreview(sourceDir + QLatin1Char('/') + entry + QStringLiteral(".myb"),
                           outDir + QLatin1Char('/') + entry + QStringLiteral("_prev.png")) &&
             ok;
    }
    return ok ? 0 : 1;
}
