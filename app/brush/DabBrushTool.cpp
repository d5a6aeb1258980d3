#include "DabBrushTool.h"

#include "BrushIndexes.h"
#include "ColorAdapterRegistry.h"
#include "DabBrushResource.h"
#include "DabSurface.h"
#include "DevicePainter.h"
#include "PixelDevice.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"

#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/SystemLog.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

float DabBrushTool::radiusBaseValueForLineWidth(double width)
{
    // A NaN width compares false everywhere and lands on index 1 as well.
    const int index = !(width >= 1.0) ? 1 : int(std::min(width, 9.0));
    switch (index) {
    case 1:
        return 0.8f;
    case 2:
        return 1.1f;
    case 3:
        return 1.5f;
    case 5:
        return 2.0f;
    case 9:
        return 3.0f;
    default:
        return 0.0f;
    }
}

DabBrushTool::DabBrushTool(KZToolboxController* controller)
    : SWTool(controller)
{
}

DabBrushTool::~DabBrushTool() = default;

bool DabBrushTool::loadBrushWithFilePath(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    bool taken = false;
    platform::exceptionGuard([&] {
        auto brush = std::make_unique<DabBrushResource>(path);
        // A refused file would leave a brush made of whatever came before
        // the refusal, which usually paints nothing: keep the present one.
        if (!brush->load()) {
            platform::nsLog(QStringLiteral("Brush file refused, keeping the current brush: %1").arg(path));
            return;
        }
        brush->set_color_rgb(QColor(Qt::black));
        m_dabBrush = std::move(brush);
        taken = true;
        createCustomCursor();
    });
    return taken;
}

double DabBrushTool::lineWidth() const
{
    return m_dabBrush ? 2.0 * m_dabBrush->get_actual_radius() : SWTool::lineWidth();
}

void DabBrushTool::setLineWidth(double width)
{
    m_lineWidth = width;
    if (m_dabBrush)
        m_dabBrush->set_base_value(BrushSettingIndex::radius_logarithmic, radiusBaseValueForLineWidth(width));
    createCustomCursor();
}

QCursor DabBrushTool::cursor()
{
    if (!m_hasCustomCursor)
        createCustomCursor();
    return m_customCursor;
}

void DabBrushTool::createCustomCursor()
{
    double d = std::min(lineWidth(), kMaxCursorSize);
    if (!(d >= 1.0))
        d = 1.0;
    QPixmap image(int(std::ceil(d)), int(std::ceil(d)));
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setPen(QPen(Qt::black, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(0.5, 0.5, d - 1.0, d - 1.0));
    }
    m_customCursor = QCursor(image, int(d / 2), int(d / 2));
    m_hasCustomCursor = true;
}

double DabBrushTool::timestampOf(const QMouseEvent* event)
{
    if (event)
        return double(event->timestamp()) / 1000.0;
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return double(clock.nsecsElapsed()) / 1e9;
}

void DabBrushTool::performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                                      QMouseEvent* event)
{
    if (!dataSource)
        return;
    QImage& mainImage = dataSource->mainImage();
    QImage& bufferImage = dataSource->bufferImage();

    if (m_dabBrush)
        m_dabBrush->set_color_rgb((flags() & platform::ModifierFlags::Option) ? m_backColor : m_frontColor);

    // The engine counts y upwards from the bottom edge of the picture.
    const double fy = double(mainImage.height()) - point.y();

    // The step holds the picture from before the stroke.
    if (phase == MouseDown && document())
        document()->handleUndoWithImageData();

    QRectF r;
    {
        // The dabs land in the picture itself; their boxes are what changed
        // (a pixel more for the flip between the engine's rows and ours).
        auto write = dataSource->writeMainImage();
        r = drawOnContext(QPointF(point.x(), fy), write.image(), write.image(), phase, event);
        write.add(r.adjusted(-1, -1, 1, 1));
    }

    if (phase == MouseDown) {
        if (m_dabBrush) {
            m_dabBrush->set_color_rgb(m_frontColor);
            m_dabBrush->set_base_value(BrushSettingIndex::radius_logarithmic,
                                       radiusBaseValueForLineWidth(SWTool::lineWidth()));
        }
    } else if (phase == MouseUp) {
        SWImageTools::clearImage(bufferImage);
        m_path = QPainterPath();
    }
    setSavedPoint(point);
    addRectToRedrawRect(r.adjusted(-1, -1, 1, 1));
}

QRectF DabBrushTool::drawOnContext(const QPointF& enginePoint, QImage& mainImage, QImage& bufferImage, int phase,
                                   QMouseEvent* event)
{
    if (!m_dabBrush || mainImage.isNull() || bufferImage.isNull())
        return QRectF();
    // Detach the target before the source device takes its pixels: both
    // may name the same bitmap.
    bufferImage.bits();
    ColorAdapterRegistry* registry = ColorAdapterRegistry::instance();
    const std::unique_ptr<ColorAdapter> sourceAdapter = registry->colorSpaceForContext(&mainImage);
    const std::unique_ptr<ColorAdapter> targetAdapter = registry->colorSpaceForContext(&bufferImage);
    PixelDevice source(&mainImage, sourceAdapter.get());
    PixelDevice target(&bufferImage, targetAdapter.get());
    DevicePainter painter(&target);
    DabSurface surface(&bufferImage, &source, &painter);

    const float x = float(enginePoint.x());
    const float y = float(enginePoint.y());
    if (phase == MouseDown) {
        m_dabBrush->stroke_to_surface(&surface, x, y, kPressure, 0.0f, 0.0f, kPressTimeStep);
        m_previousTimestamp = timestampOf(event);
    } else {
        const double t = timestampOf(event);
        const double dtime = t - m_previousTimestamp;
        m_previousTimestamp = t;
        m_dabBrush->stroke_to_surface(&surface, x, y, kPressure, 0.0f, 0.0f, dtime);
    }
    return surface.imageDirtyRect();
}
