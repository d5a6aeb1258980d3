#include "SWAirbrushTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWToolCursor.h"

#include "platform/graphics/CanvasBitmap.h"

#include <algorithm>
#include <cmath>
#include <ctime>

using platform::CanvasBitmap;

SWAirbrushTool::SWAirbrushTool(KZToolboxController* controller)
    : SWTool(controller)
{
    m_airbrushTimer.setInterval(kSprayIntervalMs);
    m_airbrushTimer.setCallback([this] { spray(); });
}

SWAirbrushTool::~SWAirbrushTool()
{
    m_airbrushTimer.stop();
}

QCursor SWAirbrushTool::cursor()
{
    if (!m_cursor)
        m_cursor = SWToolCursor::cursorNamed(QStringLiteral("airbrush-cursor-2"));
    return *m_cursor;
}

QPainterPath SWAirbrushTool::pathFromPoint(const QPointF&, const QPointF& b)
{
    const double w = lineWidth();
    m_redrawRect = QRectF(b.x() - 2 * w, b.y() - 2 * w, 4 * w, 4 * w);
    m_path = QPainterPath();
    m_dots.clear();
    const double whole = SWDrawingSupport::wholePart(w);
    if (!(whole >= 1) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
        return m_path;
    const auto n = static_cast<unsigned long long>(4 * whole);
    const double radius = 2 * w;
    const double count = w * w * 0.5;
    for (double k = 0; k < count; ++k) {
        // Whole-pixel offsets 0 ... 4w - 1 from the box's corner, drawn again
        // until they land in the disc (about 4 tries in 5 do).
        for (int tries = 0; tries < 64; ++tries) {
            const double x = SWDrawingSupport::wholePart(double(m_random() % n) + b.x() - radius);
            const double y = SWDrawingSupport::wholePart(double(m_random() % n) + b.y() - radius);
            const double dx = x - b.x();
            const double dy = y - b.y();
            if (dx * dx + dy * dy <= radius * radius) {
                m_dots.emplace_back(int(std::clamp(x, -1e9, 1e9)), int(std::clamp(y, -1e9, 1e9)));
                m_path.addRect(QRectF(x, y, 0, 0));
                break;
            }
        }
    }
    return m_path;
}

void SWAirbrushTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    m_p = p;
    if (phase == MouseDown) {
        // A spray whose release never came is finished first.
        if (m_isSpraying)
            endSpray();
        m_random.seed(static_cast<unsigned>(std::time(nullptr)));
        m_bufferImage = dataSource ? &dataSource->bufferImage() : nullptr;
        keepMainImage(dataSource);
        if (m_bufferImage && m_mainImage)
            SWImageTools::drawToImage(*m_bufferImage, *m_mainImage, false);
        m_airbrushTimer.start();
        m_isSpraying = true;
    } else if (phase == MouseUp) {
        endSpray();
    }
    m_path = QPainterPath();
}

void SWAirbrushTool::spray()
{
    pathFromPoint(m_savedPoint, m_p);
    if (m_bufferImage && !m_bufferImage->isNull() && CanvasBitmap::convert(*m_bufferImage)) {
        const QColor color = SWDrawingSupport::colorChoice(m_flags, m_frontColor, m_backColor);
        const uint32_t source = CanvasBitmap::premultipliedPixel(color);
        uint8_t bytes[4];
        CanvasBitmap::unpack(source, bytes);
        const uint32_t inverse = 255u - bytes[3];
        // One fill of all the tick's dots: a pixel two dots hit is painted once.
        std::vector<QPoint> dots = m_dots;
        std::sort(dots.begin(), dots.end(), [](const QPoint& a, const QPoint& b) {
            return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
        });
        dots.erase(std::unique(dots.begin(), dots.end()), dots.end());
        const int width = m_bufferImage->width();
        const int height = m_bufferImage->height();
        for (const QPoint& dot : dots) {
            if (dot.x() < 0 || dot.y() < 0 || dot.x() >= width || dot.y() >= height)
                continue;
            auto* pixel = reinterpret_cast<uint32_t*>(m_bufferImage->scanLine(dot.y())) + dot.x();
            if (inverse == 0) {
                *pixel = source;
                continue;
            }
            uint8_t d[4];
            CanvasBitmap::unpack(*pixel, d);
            uint8_t out[4];
            for (int i = 0; i < 4; ++i)
                out[i] = uint8_t(std::min(255u, bytes[i] + (d[i] * inverse + 127) / 255));
            *pixel = CanvasBitmap::pack(out[0], out[1], out[2], out[3]);
        }
    }
    m_savedPoint = m_p;
    if (document())
        document()->refreshImage(this);
}

void SWAirbrushTool::endSpray()
{
    // Without a spray in progress there is no preview to commit: copying an
    // empty buffer would wipe the picture.
    if (!m_isSpraying && !m_airbrushTimer.isActive())
        return;
    m_airbrushTimer.stop();
    m_isSpraying = false;
    if (document())
        document()->handleUndoWithImageData();
    if (m_bufferImage && m_mainImage) {
        // The buffer holds the whole picture with the spray over it.
        auto write = writeKeptMainImage();
        write.addAll();
        SWImageTools::drawToImage(write.image(), *m_bufferImage, false);
        SWImageTools::clearImage(*m_bufferImage);
    }
}

QRectF SWAirbrushTool::draw()
{
    if (!m_isSpraying || !m_bufferImage || !m_mainImage)
        return {};
    SWImageTools::drawToImage(*m_bufferImage, *m_mainImage, false);
    return QRectF(QPointF(0, 0), QSizeF(m_mainImage->size()));
}

void SWAirbrushTool::tieUpLooseEnds()
{
    if (m_isSpraying)
        endSpray();
    SWTool::tieUpLooseEnds();
}
