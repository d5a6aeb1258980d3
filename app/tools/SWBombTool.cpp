#include "SWBombTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWToolCursor.h"

#include "platform/foundation/ModifierFlags.h"
#include "platform/graphics/CanvasBitmap.h"


#include <algorithm>
#include <cmath>
#include <vector>

SWBombTool::SWBombTool(KZToolboxController* controller)
    : SWTool(controller)
{
    m_bombTimer.setInterval(kTickIntervalMs);
    m_bombTimer.setCallback([this] { drawNewCircle(); });
}

SWBombTool::~SWBombTool()
{
    m_bombTimer.stop();
}

QCursor SWBombTool::cursor()
{
    if (!m_cursor)
        m_cursor = SWToolCursor::cursorNamed(QStringLiteral("bomb-cursor"));
    return *m_cursor;
}

void SWBombTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    if (phase != MouseDown)
        return;
    if (m_isExploding)
        endExplosion();
    if (document())
        document()->handleUndoWithImageData();
    m_i = 0;
    m_rect = QRectF();
    m_p = p;
    m_bufferImage = dataSource ? &dataSource->bufferImage() : nullptr;
    keepMainImage(dataSource);
    m_bombColor = SWDrawingSupport::otherColor(m_flags, m_frontColor, m_backColor);
    m_bombSpeed = (m_flags & platform::ModifierFlags::Shift) ? 2 : 50;
    const double w = m_mainImage ? m_mainImage->width() : 0;
    const double h = m_mainImage ? m_mainImage->height() : 0;
    m_max = int64_t(std::sqrt(w * w + h * h));
    m_filledValid = false;
    if (m_bufferImage)
        m_bufferRecord.clear(*m_bufferImage);
    m_bombTimer.start();
    m_isExploding = true;
}

void SWBombTool::drawNewCircle()
{
    if (m_i >= m_max) {
        endExplosion();
        return;
    }
    const double i = double(m_i);
    m_rect = QRectF(m_p.x() - i, m_p.y() - i, 2 * i, 2 * i);
    if (m_mainImage && !m_mainImage->isNull()) {
        auto write = writeKeptMainImage(m_rect.adjusted(-1, -1, 1, 1));
        fillCircle(write.image());
    }
    m_redrawRect = m_rect;
    if (document())
        document()->refreshImage(this);
    m_i += m_bombSpeed;
}

const std::vector<SWBombTool::Run>* SWBombTool::filledRuns(const QImage& image) const
{
    if (!m_filledValid || image.cacheKey() != m_filledKey || int(m_filledRuns.size()) != image.height())
        return nullptr;
    return &m_filledRuns;
}

void SWBombTool::fillCircle(QImage& image)
{
    if (m_rect.isEmpty() || !m_bombColor.isValid() || !platform::CanvasBitmap::convert(image))
        return;
    const bool antialias = SWDrawingSupport::antialiasByDefault();
    const uint32_t word = platform::CanvasBitmap::premultipliedPixel(m_bombColor);
    uint8_t colour[4];
    platform::CanvasBitmap::unpack(word, colour);
    const std::vector<Run>* filled = filledRuns(image);
    std::vector<Run> runs(size_t(image.height()));

    const double cx = m_p.x();
    const double cy = m_p.y();
    const double r = m_rect.width() / 2;
    const double rr = r * r;
    const double width = image.width();
    const auto column = [width](double x) { return int(std::clamp(x, 0.0, width)); };
    const int top = int(std::clamp(std::floor(cy - r), 0.0, double(image.height())));
    const int bottom = int(std::clamp(std::ceil(cy + r), 0.0, double(image.height())));
    for (int y = top; y < bottom; ++y) {
        // Pixels the disc touches [left, right), and those it covers in full.
        int left;
        int right;
        Run full;
        if (antialias) {
            const double near = (cy >= y && cy <= y + 1) ? 0.0 : std::min(std::fabs(y - cy), std::fabs(y + 1 - cy));
            const double far = std::max(std::fabs(y - cy), std::fabs(y + 1 - cy));
            if (near >= r)
                continue;
            const double outer = std::sqrt(rr - near * near);
            left = column(std::floor(cx - outer));
            right = column(std::ceil(cx + outer));
            if (far < r) {
                const double inner = std::sqrt(rr - far * far);
                full = {column(std::ceil(cx - inner)), column(std::floor(cx + inner))};
            }
        } else {
            // A pixel belongs when its centre lies inside.
            const double dy = y + 0.5 - cy;
            if (std::fabs(dy) >= r)
                continue;
            const double half = std::sqrt(rr - dy * dy);
            left = column(std::floor(cx - half - 0.5) + 1);
            right = column(std::ceil(cx + half - 0.5));
            full = {left, right};
        }
        if (full.right <= full.left)
            full = {left, left};
        runs[size_t(y)] = full;
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        // What the previous disc covered in full holds the colour already.
        Run skip = filled ? (*filled)[size_t(y)] : Run{};
        skip.left = std::max(skip.left, full.left);
        skip.right = std::min(skip.right, full.right);
        if (skip.right <= skip.left)
            skip = {full.left, full.left};
        std::fill(row + full.left, row + skip.left, word);
        std::fill(row + skip.right, row + full.right, word);
        // The rim: coverage from 4 x 4 samples a pixel.
        for (int x = left; x < right; ++x) {
            if (x == full.left && full.right > full.left) {
                x = full.right - 1;
                continue;
            }
            int inside = 0;
            for (int j = 0; j < 4; ++j) {
                const double sy = y + (j + 0.5) / 4 - cy;
                for (int i = 0; i < 4; ++i) {
                    const double sx = x + (i + 0.5) / 4 - cx;
                    inside += sx * sx + sy * sy < rr;
                }
            }
            if (inside == 0)
                continue;
            if (inside == 16) {
                row[x] = word;
                continue;
            }
            uint8_t d[4];
            platform::CanvasBitmap::unpack(row[x], d);
            uint8_t out[4];
            for (int k = 0; k < 4; ++k)
                out[k] = uint8_t((colour[k] * inside + d[k] * (16 - inside) + 8) / 16);
            row[x] = platform::CanvasBitmap::pack(out[0], out[1], out[2], out[3]);
        }
    }
    m_filledRuns = std::move(runs);
    m_filledKey = image.cacheKey();
    m_filledValid = true;
}

void SWBombTool::endExplosion()
{
    m_bombTimer.stop();
    if (m_mainImage && !m_mainImage->isNull() && m_bombColor.isValid() &&
        platform::CanvasBitmap::convert(*m_mainImage)) {
        auto write = writeKeptMainImage();
        write.addAll();
        QImage& image = write.image();
        const uint32_t word = platform::CanvasBitmap::premultipliedPixel(m_bombColor);
        const std::vector<Run>* filled = filledRuns(image);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
            const Run skip = filled ? (*filled)[size_t(y)] : Run{};
            std::fill(row, row + skip.left, word);
            std::fill(row + std::max(skip.left, skip.right), row + image.width(), word);
        }
    }
    if (m_bufferImage)
        m_bufferRecord.clear(*m_bufferImage);
    if (document())
        document()->refreshImage(nullptr);
    m_isExploding = false;
    m_filledValid = false;
}

void SWBombTool::tieUpLooseEnds()
{
    if (m_isExploding)
        endExplosion();
    SWTool::tieUpLooseEnds();
}
