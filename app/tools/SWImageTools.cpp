#include "SWImageTools.h"

#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ColorInvert.h"
#include "platform/graphics/ImageDecoder.h"

#include <QMimeData>
#include <QPainter>
#include <QUrl>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

using platform::CanvasBitmap;

namespace {

using Word = std::uint32_t;

// Whole pixels of a size: fractions cut off, negatives and NaN as 0.
int wholePixels(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(v);
}

int nearestPixel(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(std::clamp(std::floor(v + 0.5), double(std::numeric_limits<int>::min() / 2),
                          double(std::numeric_limits<int>::max() / 2)));
}

inline Word* row(QImage& image, int y) { return reinterpret_cast<Word*>(image.scanLine(y)); }
inline const Word* row(const QImage& image, int y) { return reinterpret_cast<const Word*>(image.constScanLine(y)); }

inline std::uint8_t alphaOf(Word w)
{
    std::uint8_t b[4];
    CanvasBitmap::unpack(w, b);
    return b[3];
}

// x * a / 255 on all four bytes of a word at once, rounded.
inline Word byteMul(Word x, std::uint32_t a)
{
    Word t = (x & 0xff00ffu) * a;
    t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
    t &= 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = (x + ((x >> 8) & 0xff00ffu) + 0x800080u);
    x &= 0xff00ff00u;
    return x | t;
}

// Source-over of premultiplied words: s + d * (255 - alpha(s)) / 255.
void blendRow(Word* d, const Word* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    // Four pixels at a time in 16-bit lanes; the same rounding as byteMul.
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi32(255);
    const __m128i half = _mm_set1_epi16(128);
    for (; i + 4 <= n; i += 4) {
        const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i alpha = _mm_srli_epi32(src, 24); // byte 3 of each word
        const __m128i inverse = _mm_sub_epi32(full, alpha);
        const __m128i inverse16 = _mm_or_si128(inverse, _mm_slli_epi32(inverse, 16));
        const auto scale = [&](__m128i d16, __m128i a16) {
            __m128i t = _mm_add_epi16(_mm_mullo_epi16(d16, a16), half);
            return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
        };
        const __m128i low = scale(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi32(inverse16, inverse16));
        const __m128i high = scale(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi32(inverse16, inverse16));
        const __m128i result = _mm_adds_epu8(src, _mm_packus_epi16(low, high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), result);
    }
#endif
    for (; i < n; ++i) {
        const Word src = s[i];
        const std::uint32_t a = alphaOf(src);
        if (a == 255)
            d[i] = src;
        else if (a != 0)
            d[i] = src + byteMul(d[i], 255 - a);
    }
}

// A canvas version of an image for reading: shares when it already is one.
QImage canvasView(const QImage& image)
{
    if (CanvasBitmap::isCanvas(image))
        return image;
    QImage copy = image;
    CanvasBitmap::convert(copy);
    return copy;
}

// Brings a bitmap to the canvas format in place; false for a null image or
// a failed conversion.
bool ensureCanvas(QImage& image)
{
    return !image.isNull() && CanvasBitmap::convert(image);
}

} // namespace

// ---- Making and clearing ----

QImage SWImageTools::initImageRep(const QSizeF& size)
{
    return CanvasBitmap::make(wholePixels(size.width()), wholePixels(size.height()));
}

void SWImageTools::clearImage(QImage& image)
{
    if (!ensureCanvas(image))
        return;
    CanvasBitmap::clear(image);
}

void SWImageTools::clearImage(QImage& image, const QRectF& given)
{
    const QRectF rect = given.normalized();
    if (image.isNull() || !rect.isValid())
        return;
    if (!ensureCanvas(image))
        return;
    // Pixels whose centres lie inside the rectangle.
    const auto first = [](double edge) { return std::ceil(edge - 0.5); };
    const int x0 = int(std::clamp(first(rect.left()), 0.0, double(image.width())));
    const int x1 = int(std::clamp(first(rect.right()), 0.0, double(image.width())));
    const int y0 = int(std::clamp(first(rect.top()), 0.0, double(image.height())));
    const int y1 = int(std::clamp(first(rect.bottom()), 0.0, double(image.height())));
    if (x1 <= x0)
        return;
    for (int y = y0; y < y1; ++y)
        std::memset(row(image, y) + x0, 0, std::size_t(x1 - x0) * sizeof(Word));
}

// ---- Compositing ----

void SWImageTools::drawToImage(QImage& target, const QImage& source, bool composite)
{
    drawToImage(target, source, QPointF(0, 0), composite);
}

void SWImageTools::drawToImage(QImage& target, const QImage& source, const QPointF& point, bool composite)
{
    if (source.isNull() || !ensureCanvas(target))
        return;
    const QImage src = canvasView(source);
    if (src.isNull())
        return;
    const int px = nearestPixel(point.x());
    const int py = nearestPixel(point.y());
    // The part of the source that lands on the target.
    const int sx0 = std::max(0, -px);
    const int sy0 = std::max(0, -py);
    const int sx1 = std::min(src.width(), target.width() - px);
    const int sy1 = std::min(src.height(), target.height() - py);
    if (sx1 <= sx0 || sy1 <= sy0)
        return;
    const int n = sx1 - sx0;
    const bool sameData = src.constBits() == target.constBits();
    for (int sy = sy0; sy < sy1; ++sy) {
        Word* d = row(target, sy + py) + (sx0 + px);
        const Word* s = row(src, sy) + sx0;
        if (sameData && s == d)
            continue; // a bitmap copied onto itself in place
        if (composite)
            blendRow(d, s, n);
        else
            std::memmove(d, s, std::size_t(n) * sizeof(Word));
    }
}

QImage SWImageTools::cloneImage(const QImage& image)
{
    return CanvasBitmap::copy(image);
}

// ---- Whole-picture operations ----

void SWImageTools::flipImageHorizontal(QImage& image)
{
    if (!ensureCanvas(image))
        return;
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        Word* r = row(image, y);
        std::reverse(r, r + w);
    }
}

void SWImageTools::flipImageVertical(QImage& image)
{
    if (!ensureCanvas(image))
        return;
    const std::size_t bytes = std::size_t(image.width()) * sizeof(Word);
    for (int top = 0, bottom = image.height() - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(image.scanLine(top), image.scanLine(top) + bytes, image.scanLine(bottom));
}

bool SWImageTools::invertImage(QImage& image)
{
    if (image.isNull())
        return false;
    return platform::ColorInvert::invert(image);
}

QImage SWImageTools::rotatedImage(const QImage& image, bool clockwise)
{
    if (image.isNull())
        return {};
    const QImage src = canvasView(image);
    if (src.isNull())
        return {};
    const int w = src.width();
    const int h = src.height();
    QImage dst = CanvasBitmap::make(h, w);
    if (dst.isNull())
        return {};
    // Tiles small enough to stay in the first-level cache, so that the
    // column reads of the source do not thrash it; inside a whole tile,
    // blocks of 4 x 4 pixels are turned in registers.
    constexpr int Tile = 64;
    const qsizetype srcStride = src.bytesPerLine() / qsizetype(sizeof(Word));
    const qsizetype dstStride = dst.bytesPerLine() / qsizetype(sizeof(Word));
    const Word* srcBase = row(src, 0);
    Word* dstBase = row(dst, 0);
    // clockwise: (x, y) -> (h - 1 - y, x); otherwise (x, y) -> (y, w - 1 - x)
    const auto target = [&](int x, int y) {
        return clockwise ? dstBase + qsizetype(x) * dstStride + (h - 1 - y)
                         : dstBase + qsizetype(w - 1 - x) * dstStride + y;
    };
    for (int y0 = 0; y0 < h; y0 += Tile) {
        const int y1 = std::min(h, y0 + Tile);
        for (int x0 = 0; x0 < w; x0 += Tile) {
            const int x1 = std::min(w, x0 + Tile);
#if defined(__SSE2__)
            if (y1 - y0 == Tile && x1 - x0 == Tile) {
                for (int by = y0; by < y1; by += 4) {
                    for (int bx = x0; bx < x1; bx += 4) {
                        const auto load = [&](int y) {
                            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(srcBase + y * srcStride + bx));
                        };
                        // Rows in the order they land in a target row.
                        const __m128i r0 = clockwise ? load(by + 3) : load(by);
                        const __m128i r1 = clockwise ? load(by + 2) : load(by + 1);
                        const __m128i r2 = clockwise ? load(by + 1) : load(by + 2);
                        const __m128i r3 = clockwise ? load(by) : load(by + 3);
                        const __m128i t0 = _mm_unpacklo_epi32(r0, r1);
                        const __m128i t1 = _mm_unpacklo_epi32(r2, r3);
                        const __m128i t2 = _mm_unpackhi_epi32(r0, r1);
                        const __m128i t3 = _mm_unpackhi_epi32(r2, r3);
                        const __m128i columns[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1),
                                                    _mm_unpacklo_epi64(t2, t3), _mm_unpackhi_epi64(t2, t3)};
                        for (int i = 0; i < 4; ++i) {
                            // Column bx + i of the four rows, leftmost target pixel first.
                            Word* d = clockwise ? target(bx + i, by + 3) : target(bx + i, by);
                            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), columns[i]);
                        }
                    }
                }
                continue;
            }
#endif
            for (int x = x0; x < x1; ++x) {
                if (clockwise) {
                    Word* d = target(x, y1 - 1);
                    const Word* s = srcBase + (y1 - 1) * srcStride + x;
                    for (int y = y1 - 1; y >= y0; --y, s -= srcStride)
                        *d++ = *s;
                } else {
                    Word* d = target(x, y0);
                    const Word* s = srcBase + y0 * srcStride + x;
                    for (int y = y0; y < y1; ++y, s += srcStride)
                        *d++ = *s;
                }
            }
        }
    }
    dst.setDotsPerMeterX(src.dotsPerMeterY());
    dst.setDotsPerMeterY(src.dotsPerMeterX());
    return dst;
}

// ---- Conversions and the clipboard ----

QImage SWImageTools::bitmapRepOfImage(const QImage& image)
{
    if (image.isNull())
        return {};
    QImage bitmap = image;
    if (!CanvasBitmap::convert(bitmap))
        return {};
    return bitmap;
}

QImage SWImageTools::readImageFromPasteboard(const QMimeData* pasteboard, double* pixelPerPoint)
{
    if (!pasteboard)
        return {};
    const auto take = [pixelPerPoint](const platform::ImageDecoder::Result& r) {
        if (pixelPerPoint)
            *pixelPerPoint = r.pixelPerPoint;
        return r.image;
    };
    // Encoded data first: it carries the resolution.
    for (const QString& format : pasteboard->formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        const QByteArray data = pasteboard->data(format);
        if (data.isEmpty())
            continue;
        const platform::ImageDecoder::Result r = platform::ImageDecoder::decode(data);
        if (r.ok())
            return take(r);
    }
    if (pasteboard->hasImage()) {
        QImage image = qvariant_cast<QImage>(pasteboard->imageData());
        if (!image.isNull()) {
            if (pixelPerPoint)
                *pixelPerPoint = 1.0;
            return image;
        }
    }
    if (pasteboard->hasUrls()) {
        for (const QUrl& url : pasteboard->urls()) {
            if (!url.isLocalFile())
                continue;
            const platform::ImageDecoder::Result r = platform::ImageDecoder::readFile(url.toLocalFile());
            if (r.ok())
                return take(r);
        }
    }
    return {};
}

QImage SWImageTools::bitmapImageWithPasteboard(const QMimeData* pasteboard, double* pixelPerPoint)
{
    return bitmapRepOfImage(readImageFromPasteboard(pasteboard, pixelPerPoint));
}

// ---- Cropping and transparency ----

QImage SWImageTools::cropImage(const QImage& image, const QRectF& rect)
{
    QImage result = initImageRep(rect.size());
    if (result.isNull())
        return {};
    drawToImage(result, image, QPointF(-rect.x(), -rect.y()), false);
    return result;
}

QImage SWImageTools::cropImage(const QImage& image, const QPainterPath& path)
{
    const QRectF bounds = path.boundingRect().normalized();
    if (path.isEmpty() || !(bounds.width() > 0) || !(bounds.height() > 0))
        return {};
    QImage result = initImageRep(bounds.size());
    if (result.isNull() || image.isNull())
        return result;
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipPath(path.translated(-bounds.x(), -bounds.y()));
    painter.drawImage(QPointF(-bounds.x(), -bounds.y()), image);
    painter.end();
    return result;
}

void SWImageTools::stripImage(QImage& image, const QColor& color)
{
    if (!color.isValid() || !ensureCanvas(image))
        return;
    const Word target = CanvasBitmap::premultipliedPixel(color);
    const bool clearAllTransparent = color.alpha() == 0;
    const Word alphaMask = CanvasBitmap::pack(0, 0, 0, 255);
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        Word* r = row(image, y);
        for (int x = 0; x < w; ++x) {
            const Word p = r[x];
            if (p == target || (clearAllTransparent && (p & alphaMask) == 0))
                r[x] = 0;
        }
    }
}

void SWImageTools::subtractSelection(QImage& image, const QImage& selection, const QPointF& point,
                                     const QColor& transparentColor)
{
    if (selection.isNull() || !transparentColor.isValid() || !ensureCanvas(image))
        return;
    const QImage sel = canvasView(selection);
    if (sel.isNull())
        return;
    // Premultiplied, as the bitmap stores it: a half-transparent colour
    // written straight would leave invalid pixels.
    const Word value = CanvasBitmap::premultipliedPixel(transparentColor);
    const double fx = std::trunc(point.x());
    const double fy = std::trunc(point.y());
    if (!std::isfinite(fx) || !std::isfinite(fy))
        return;
    const long long px = (long long)std::clamp(fx, -1e12, 1e12);
    const long long py = (long long)std::clamp(fy, -1e12, 1e12);
    const long long sx0 = std::max(0LL, -px);
    const long long sy0 = std::max(0LL, -py);
    const long long sx1 = std::min<long long>(sel.width(), image.width() - px);
    const long long sy1 = std::min<long long>(sel.height(), image.height() - py);
    for (long long sy = sy0; sy < sy1; ++sy) {
        const Word* s = row(sel, int(sy));
        Word* d = row(image, int(sy + py));
        for (long long sx = sx0; sx < sx1; ++sx)
            if (alphaOf(s[sx]) != 0)
                d[sx + px] = value;
    }
}

// ---- Colours and names ----

bool SWImageTools::colorIsEqualToColor(const QColor& a, const QColor& b)
{
    if (!a.isValid() || !b.isValid())
        return false;
    const QColor ra = a.toRgb();
    const QColor rb = b.toRgb();
    const auto c = [](float v) { return std::lround(double(v) * 255.0); };
    return c(ra.redF()) == c(rb.redF()) && c(ra.greenF()) == c(rb.greenF()) && c(ra.blueF()) == c(rb.blueF())
           && c(ra.alphaF()) == c(rb.alphaF());
}

std::optional<QColor> SWImageTools::colorAtPoint(const QImage& image, const QPointF& point)
{
    if (image.isNull() || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return std::nullopt;
    const double fx = std::floor(point.x());
    const double fy = std::floor(point.y());
    if (fx < 0 || fy < 0 || fx >= image.width() || fy >= image.height())
        return std::nullopt;
    const int x = int(fx);
    const int y = int(fy);
    if (CanvasBitmap::isCanvas(image))
        return CanvasBitmap::colorOfPixel(row(image, y)[x]);
    return image.pixelColor(x, y);
}

QString SWImageTools::convertFileType(const QString& type)
{
    const QString lower = type.toLower();
    if (lower.size() == 3)
        return lower;
    if (lower == QLatin1String("tiff"))
        return QStringLiteral("tif");
    if (lower == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    return QString();
}

QImage SWImageTools::createMonochromeImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage src = canvasView(image);
    if (src.isNull())
        return {};
    QImage mono(src.size(), QImage::Format_Mono);
    if (mono.isNull())
        return {};
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    for (int y = 0; y < src.height(); ++y) {
        const std::uint8_t* s = src.constScanLine(y);
        std::uint8_t* d = mono.scanLine(y);
        for (int x = 0; x < src.width(); ++x, s += 4) {
            // Luminance in tenths of a thousandth, to stay in integers.
            const int luminance = 299 * s[0] + 587 * s[1] + 114 * s[2];
            if (luminance >= 128 * 1000)
                d[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
        }
    }
    return mono;
}
