#include "DabSurface.h"

#include "BrushLog.h"
#include "ColorAdapterRegistry.h"
#include "DabRowKernel.h"

#include "platform/foundation/Geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

float clamp01(float v)
{
    if (!(v > 0.0f))
        return 0.0f;
    return v < 1.0f ? v : 1.0f;
}

int colorByte(float component)
{
    // Truncating, as the blend expects; out-of-range and NaN values are held
    // to 0..255 before any integer conversion.
    const float scaled = component * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return int(scaled);
}

// Columns or rows [first, last] of a box around centre with half-size reach,
// held to [0, limit). Returns false when nothing remains.
bool clippedSpan(float centre, float reach, int limit, int& first, int& last)
{
    const double lo = std::max(0.0, double(std::floor(centre - reach)));
    const double hi = std::min(double(limit) - 1.0, double(std::ceil(centre + reach)));
    if (!(lo <= hi))
        return false;
    first = int(lo);
    last = int(hi);
    return true;
}

// Offset of a pixel centre from the dab centre, measured inside the pixel's
// 8 × 8 cell as the renderer always has.
inline float cellOffset(int pixel, float centre)
{
    const int cell = pixel >> 3;
    const float centreInCell = centre - float(8 * cell);
    return (float(pixel & 7) + 0.5f) - centreInCell;
}

} // namespace

DabSurface::DabSurface(QImage* bitmapContext, PixelDevice* source, DevicePainter* painter)
    : m_adapter(ColorAdapterRegistry::instance()->colorSpaceForContext(bitmapContext))
    , m_source(source)
    , m_target(painter ? painter->device() : nullptr)
    , m_context(bitmapContext)
{
}

DabSurface::~DabSurface() = default;

QRectF DabSurface::imageDirtyRect() const
{
    if (platform::isEmptyRect(m_dirtyRect) || !m_target)
        return m_dirtyRect;
    QRectF r = m_dirtyRect;
    r.moveTop(m_target->height() - r.y() - r.height());
    return r;
}

void DabSurface::addDirtyBox(float x, float y, float ratio, float radius)
{
    if (!m_target || !m_target->hasMemory())
        return;
    // Any box beyond this reaches past every bitmap; holding it there keeps
    // the arithmetic finite.
    double f = std::trunc(double(ratio * radius) + 2.0);
    if (!(f < 4.0e9))
        f = 4.0e9;
    const double left = std::max(0.0, double(std::trunc(x)) - f);
    const double bottom = std::max(0.0, double(std::trunc(y)) - f);
    const double right = std::min(double(m_target->width()), double(std::trunc(x)) + f);
    const double top = std::min(double(m_target->height()), double(std::trunc(y)) + f);
    if (right > left && top > bottom)
        m_dirtyRect = platform::unionRect(m_dirtyRect, QRectF(left, bottom, right - left, top - bottom));
}

bool DabSurface::render_dab(float x, float y, float radius, float colorR, float colorG, float colorB,
                            float opacity, float hardness, float eraserTargetAlpha, float aspectRatio,
                            float angle)
{
    // A position, size or angle that is not a number places nothing anywhere.
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(radius) || !std::isfinite(angle)
        || std::isinf(aspectRatio))
        return false;
    const float ratio = aspectRatio >= 1.0f ? aspectRatio : 1.0f;

    addDirtyBox(x, y, ratio, radius);

    eraserTargetAlpha = clamp01(eraserTargetAlpha);
    opacity = clamp01(opacity);
    DabRowShape shape;
    shape.color[0] = uint16_t(colorByte(colorR));
    shape.color[1] = uint16_t(colorByte(colorG));
    shape.color[2] = uint16_t(colorByte(colorB));
    shape.color[3] = 255;

    if (!(hardness >= 0.0f))
        return false;
    const float h = std::min(hardness, 1.0f);
    if (h == 0.0f || radius < 0.1f || opacity == 0.0f)
        return false;

    if (!m_source || !m_target || !m_source->hasMemory() || !m_target->hasMemory())
        return true;

    const float r1 = radius + 1.0f;
    const int width = std::min(m_source->width(), m_target->width());
    const int height = std::min(m_source->height(), m_target->height());
    int x0, x1, y0, y1;
    if (!clippedSpan(x, r1, width, x0, x1) || !clippedSpan(y, r1, height, y0, y1))
        return true;

    const float angleRadians = angle / 360.0f * 2.0f * std::numbers::pi_v<float>;
    const float cs = std::cos(angleRadians);
    const float sn = std::sin(angleRadians);
    shape.ratio = ratio;
    shape.inverseRadius2 = 1.0f / (radius * radius);
    shape.opacity = opacity;
    shape.eraserTargetAlpha = eraserTargetAlpha;
    shape.hard = h == 1.0f;
    shape.hardness = h;
    shape.hardnessFactor = shape.hard ? 0.0f : h / (1.0f - h);
    shape.hardAlpha = int(opacity * 255.0f);
    shape.hardErase = int(float(shape.hardAlpha) * eraserTargetAlpha);

    const size_t columns = size_t(x1 - x0 + 1);
    if (m_columnCos.size() < columns) {
        m_columnCos.resize(columns);
        m_columnSin.resize(columns);
    }
    for (int px = x0; px <= x1; ++px) {
        const float dx = cellOffset(px, x);
        m_columnCos[size_t(px - x0)] = dx * cs;
        m_columnSin[size_t(px - x0)] = dx * sn;
    }
    shape.columnCos = m_columnCos.data();
    shape.columnSin = m_columnSin.data();

    // Target first: taking its row may detach a shared bitmap, after which
    // the source rows are read from the same memory when both are one image.
    unsigned char* targetTop = m_target->engineRow(m_target->height() - 1);
    const unsigned char* sourceTop = m_source->constEngineRow(m_source->height() - 1);
    const qsizetype targetStride = m_target->bytesPerLine();
    const qsizetype sourceStride = m_source->bytesPerLine();
    const int targetHeight = m_target->height();
    const int sourceHeight = m_source->height();

    for (int row = y0; row <= y1; ++row) {
        const float dy = cellOffset(row, y);
        shape.rowSin = dy * sn;
        shape.rowCos = dy * cs;
        unsigned char* dst = targetTop + qsizetype(targetHeight - 1 - row) * targetStride + qsizetype(x0) * 4;
        const unsigned char* src = sourceTop + qsizetype(sourceHeight - 1 - row) * sourceStride + qsizetype(x0) * 4;
        DabRowKernel::render(src, dst, int(columns), shape);
    }
    return true;
}

void DabSurface::sample_color(float x, float y, float radius, float& colorR, float& colorG, float& colorB,
                              float& colorA)
{
    colorR = 1.0f;
    colorG = 0.0f;
    colorB = 0.0f;
    colorA = 0.0f;
    if (!(radius >= 1.0f))
        radius = 1.0f;
    if (!std::isfinite(x) || !std::isfinite(y) || !m_source || !m_source->hasMemory())
        return;

    const float r1 = radius + 1.0f;
    int x0, x1, y0, y1;
    if (!clippedSpan(x, r1, m_source->width(), x0, x1) || !clippedSpan(y, r1, m_source->height(), y0, y1))
        return;
    const float inverseRadius2 = 1.0f / (radius * radius);

    const size_t columns = size_t(x1 - x0 + 1);
    if (m_columnDx.size() < columns)
        m_columnDx.resize(columns);
    for (int px = x0; px <= x1; ++px)
        m_columnDx[size_t(px - x0)] = cellOffset(px, x);

    const unsigned char* sourceTop = m_source->constEngineRow(m_source->height() - 1);
    const qsizetype stride = m_source->bytesPerLine();
    const int height = m_source->height();

    float sumWeight = 0.0f, sumR = 0.0f, sumG = 0.0f, sumB = 0.0f, sumA = 0.0f;
    // Cell by cell, then row by row inside the cell: the order of the sums.
    for (int cellRow = y0 >> 3; cellRow <= (y1 >> 3); ++cellRow) {
        const int rowFirst = std::max(y0, cellRow * 8);
        const int rowLast = std::min(y1, cellRow * 8 + 7);
        for (int cellColumn = x0 >> 3; cellColumn <= (x1 >> 3); ++cellColumn) {
            const int columnFirst = std::max(x0, cellColumn * 8);
            const int columnLast = std::min(x1, cellColumn * 8 + 7);
            for (int row = rowFirst; row <= rowLast; ++row) {
                const float dy = cellOffset(row, y);
                const float dy2 = dy * dy;
                const unsigned char* line = sourceTop + qsizetype(height - 1 - row) * stride;
                for (int column = columnFirst; column <= columnLast; ++column) {
                    const float dx = m_columnDx[size_t(column - x0)];
                    const float rr = (dx * dx + dy2) * inverseRadius2;
                    if (!(rr <= 1.0f))
                        continue;
                    const float w = 1.0f - rr;
                    const unsigned char* p = line + qsizetype(column) * 4;
                    sumWeight += w;
                    sumR += float(p[0]) * w / 255.0f;
                    sumG += float(p[1]) * w / 255.0f;
                    sumB += float(p[2]) * w / 255.0f;
                    sumA += float(p[3]) * w / 255.0f;
                }
            }
        }
    }
    // Nothing weighed: the disc lies off the bitmap, which reads as transparent.
    if (!(sumWeight > 0.0f))
        return;

    const float alpha = sumA / sumWeight;
    float red = 1.0f, green = 0.0f, blue = 0.0f;
    if (alpha > 0.0f) {
        red = sumR / sumWeight / alpha;
        green = sumG / sumWeight / alpha;
        blue = sumB / sumWeight / alpha;
    }
    colorR = clamp01(red);
    colorG = clamp01(green);
    colorB = clamp01(blue);
    colorA = clamp01(alpha);
}

QImage DabSurface::createImage() const
{
    return m_context ? m_context->copy() : QImage();
}

void DabSurface::setColorBytes(float red, float green, float blue, float alpha)
{
    m_colorBytes[0] = static_cast<unsigned char>(colorByte(red));
    m_colorBytes[1] = static_cast<unsigned char>(colorByte(green));
    m_colorBytes[2] = static_cast<unsigned char>(colorByte(blue));
    m_colorBytes[3] = static_cast<unsigned char>(colorByte(alpha));
}
