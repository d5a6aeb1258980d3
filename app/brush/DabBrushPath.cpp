#include "DabBrushPath.h"

#include "ColorAdapterRegistry.h"
#include "DabBrushResource.h"
#include "DabSurface.h"
#include "DevicePainter.h"
#include "PixelDevice.h"
#include "SWImageTools.h"

#include <QPainter>

#include <cmath>
#include <memory>

namespace {

constexpr float kPressure = 0.75f;
constexpr double kFirstTimeStep = 10.0;
constexpr double kNextTimeStep = 0.1;

// The surface objects over one bitmap that is both source and target. The
// engine counts rows from the bottom, so callers hand it y turned over.
class BitmapSurface {
public:
    explicit BitmapSurface(QImage& image)
        : m_image(image)
    {
        ColorAdapterRegistry* registry = ColorAdapterRegistry::instance();
        m_sourceAdapter = registry->colorSpaceForContext(&image);
        m_targetAdapter = registry->colorSpaceForContext(&image);
        m_source = std::make_unique<PixelDevice>(&image, m_sourceAdapter.get());
        m_target = std::make_unique<PixelDevice>(&image, m_targetAdapter.get());
        m_painter = std::make_unique<DevicePainter>(m_target.get());
        m_surface = std::make_unique<DabSurface>(&image, m_source.get(), m_painter.get());
    }

    void stroke(DabBrushResource& brush, const QPointF& p, double dtime)
    {
        brush.stroke_to_surface(m_surface.get(), float(p.x()), float(m_image.height() - p.y()), kPressure, 0.0f,
                                0.0f, dtime);
    }

private:
    QImage& m_image;
    std::unique_ptr<ColorAdapter> m_sourceAdapter;
    std::unique_ptr<ColorAdapter> m_targetAdapter;
    std::unique_ptr<PixelDevice> m_source;
    std::unique_ptr<PixelDevice> m_target;
    std::unique_ptr<DevicePainter> m_painter;
    std::unique_ptr<DabSurface> m_surface;
};

} // namespace

QRectF DabBrushPath::strokeWithDabBrush(const QPainterPath& path, DabBrushResource& brush, QPainter& painter)
{
    const double w = 2.0 * brush.get_actual_radius();
    const QRectF area = path.boundingRect().adjusted(-w, -w, w, w);
    QImage bitmap = SWImageTools::initImageRep(area.size());
    if (bitmap.isNull() || path.isEmpty())
        return area;
    {
        BitmapSurface surface(bitmap);
        // Each flattened subpath starts a new touch; a closed one ends back
        // at its first point, as its closing line.
        const QPointF origin = area.topLeft();
        for (const QPolygonF& polygon : path.toSubpathPolygons()) {
            for (int i = 0; i < polygon.size(); ++i)
                surface.stroke(brush, polygon[i] - origin, i == 0 ? kFirstTimeStep : kNextTimeStep);
        }
    }
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(area, bitmap);
    painter.restore();
    return area;
}

QRectF DabBrushPath::fillWithDabBrush(const QPainterPath& path, DabBrushResource& brush, QPainter& painter)
{
    const QRectF bounds = path.boundingRect();
    QImage bitmap = SWImageTools::initImageRep(bounds.size());
    if (bitmap.isNull())
        return bounds;
    {
        BitmapSurface surface(bitmap);
        // Rows one brush reach apart; a reach below one pixel still moves on.
        const int step = std::max(1, int(brush.get_actual_radius()));
        for (int y = 0; y < bitmap.height(); y += step) {
            surface.stroke(brush, QPointF(0, y), kFirstTimeStep);
            surface.stroke(brush, QPointF(bitmap.width() - 1, y), kNextTimeStep);
        }
    }
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(bounds.topLeft(), bitmap);
    painter.restore();
    return bounds;
}
