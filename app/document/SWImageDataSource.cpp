#include "SWImageDataSource.h"

#include "SWImageTools.h"
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasWrite.h"
#include "platform/graphics/ImageDecoder.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::CanvasBitmap;

namespace {

using Word = std::uint32_t;

// A canvas bitmap of a canvas size; ok is false only when memory ran out
// (a size with a zero side gives a null bitmap and ok).
QImage makeBitmap(const QSizeF& size, bool& ok)
{
    QImage image = SWImageTools::initImageRep(size);
    const bool empty = !(size.width() >= 1) || !(size.height() >= 1);
    ok = ok && (empty || !image.isNull());
    return image;
}

// Nearest-pixel stretch of the source rectangle {0, 0, from} of src onto the
// whole of dst (whose canvas size is to), without smoothing.
void stretch(const QImage& src, const QSizeF& from, QImage& dst, const QSizeF& to)
{
    const int dw = dst.width();
    const int dh = dst.height();
    std::vector<int> columns(static_cast<std::size_t>(dw));
    const double sx = from.width() / to.width();
    const double sy = from.height() / to.height();
    for (int x = 0; x < dw; ++x)
        columns[std::size_t(x)] = std::clamp(int(std::floor((x + 0.5) * sx)), 0, src.width() - 1);
    int previous = -1;
    for (int y = 0; y < dh; ++y) {
        const int source = std::clamp(int(std::floor((y + 0.5) * sy)), 0, src.height() - 1);
        Word* d = reinterpret_cast<Word*>(dst.scanLine(y));
        if (source == previous) {
            std::memcpy(d, dst.constScanLine(y - 1), std::size_t(dw) * sizeof(Word));
            continue;
        }
        const Word* s = reinterpret_cast<const Word*>(src.constScanLine(source));
        for (int x = 0; x < dw; ++x)
            d[x] = s[columns[std::size_t(x)]];
        previous = source;
    }
}

bool isClear(const QImage& image)
{
    const std::size_t rowBytes = std::size_t(image.width()) * sizeof(Word);
    for (int y = 0; y < image.height(); ++y) {
        const auto* bytes = image.constScanLine(y);
        // Zero when the first byte is and every byte equals the one before it.
        if (bytes[0] != 0 || std::memcmp(bytes, bytes + 1, rowBytes - 1) != 0)
            return false;
    }
    return true;
}

} // namespace

SWImageDataSource::SWImageDataSource() = default;
SWImageDataSource::~SWImageDataSource() = default;

std::unique_ptr<SWImageDataSource> SWImageDataSource::create(const QSizeF& size, const QColor& backgroundColor)
{
    auto store = std::make_unique<SWImageDataSource>();
    if (!store->customInit(size, backgroundColor))
        return nullptr;
    return store;
}

std::unique_ptr<SWImageDataSource> SWImageDataSource::fromFile(const QString& path, const QColor& backgroundColor,
                                                               QString* error)
{
    auto store = std::make_unique<SWImageDataSource>();
    if (!store->readFromFile(path, backgroundColor, error))
        return nullptr;
    return store;
}

std::unique_ptr<SWImageDataSource> SWImageDataSource::fromPasteboard(const QMimeData* pasteboard,
                                                                     const QColor& backgroundColor)
{
    auto store = std::make_unique<SWImageDataSource>();
    if (!store->readFromPasteboard(pasteboard, backgroundColor))
        return nullptr;
    return store;
}

bool SWImageDataSource::customInit(const QSizeF& size, const QColor& backgroundColor)
{
    bool ok = true;
    QImage main = makeBitmap(size, ok);
    QImage buffer = makeBitmap(size, ok);
    if (!ok)
        return false;
    if (!main.isNull())
        main.fill(CanvasBitmap::premultipliedPixel(backgroundColor)); // a plain fill: replaces the pixels
    saveSize(size);
    replaceMainImage(main);
    m_bufferImage = buffer;
    m_backgroundColor = backgroundColor;
    m_editors.clear();
    return true;
}

bool SWImageDataSource::readFromFile(const QString& path, const QColor& backgroundColor, QString* error)
{
    const platform::ImageDecoder::Result decoded = platform::ImageDecoder::readFile(path);
    if (!decoded.ok()) {
        if (error)
            *error = decoded.error;
        return false;
    }
    if (!setUpWithImage(decoded.image, decoded.pixelPerPoint, backgroundColor)) {
        if (error)
            *error = QStringLiteral("There is not enough memory to open the picture.");
        return false;
    }
    return true;
}

bool SWImageDataSource::readFromPasteboard(const QMimeData* pasteboard, const QColor& backgroundColor)
{
    double ratio = 0;
    const QImage picture = SWImageTools::bitmapImageWithPasteboard(pasteboard, &ratio);
    if (picture.isNull())
        return false;
    return setUpWithImage(picture, ratio, backgroundColor);
}

bool SWImageDataSource::awaitPicture(const QSize& size, const QColor& backgroundColor)
{
    const QSizeF canvas(size);
    bool ok = !size.isEmpty();
    QImage main = makeBitmap(canvas, ok);
    QImage buffer = makeBitmap(canvas, ok);
    if (!ok)
        return false;
    saveSize(canvas);
    m_mainImage = main;
    m_bufferImage = buffer;
    m_backgroundColor = backgroundColor;
    m_editors.clear();
    return true;
}

bool SWImageDataSource::setUpWithImage(const QImage& picture, double pixelPerPoint, const QColor& backgroundColor)
{
    if (picture.isNull())
        return false;
    QImage main = picture;
    if (!CanvasBitmap::convert(main))
        return false;
    const QSizeF size(main.width(), main.height());
    bool ok = true;
    QImage buffer = makeBitmap(size, ok);
    if (!ok)
        return false;
    // The decoded pixels replace the background fill outright (copy
    // operation), so the main image is the picture itself. It may still share
    // its pixels with the caller's copy; the first drawing detaches it.
    saveSize(size);
    replaceMainImage(main);
    m_bufferImage = buffer;
    m_backgroundColor = backgroundColor;
    m_editors.clear();
    if (pixelPerPoint > 0)
        m_pixelPerPoint = pixelPerPoint;
    return true;
}

bool SWImageDataSource::resizeToSize(const QSizeF& size, bool scaleImage)
{
    if (size == m_canvasSize)
        return true;
    const QRectF old = m_drawableRect;
    bool ok = true;
    QImage main = makeBitmap(size, ok);
    QImage buffer = makeBitmap(size, ok);
    if (!ok)
        return false;
    if (!main.isNull()) {
        if (scaleImage) {
            if (!m_mainImage.isNull() && old.width() > 0 && old.height() > 0)
                stretch(m_mainImage, old.size(), main, size);
        } else {
            main.fill(CanvasBitmap::premultipliedPixel(m_backgroundColor));
            if (!m_mainImage.isNull()) {
                const int w = std::min(main.width(), m_mainImage.width());
                const int h = std::min(main.height(), m_mainImage.height());
                for (int y = 0; y < h; ++y)
                    std::memcpy(main.scanLine(y), m_mainImage.constScanLine(y), std::size_t(w) * sizeof(Word));
            }
        }
    }
    saveSize(size);
    replaceMainImage(main);
    m_bufferImage = buffer;
    return true;
}

bool SWImageDataSource::rotate(bool clockwise)
{
    if (m_mainImage.isNull())
        return false;
    QImage main = SWImageTools::rotatedImage(m_mainImage, clockwise);
    if (main.isNull())
        return false;
    QImage buffer;
    if (!m_bufferImage.isNull()) {
        // The buffer is mostly clear between gestures: a clear one need not be turned.
        buffer = CanvasBitmap::isKnownClear(m_bufferImage) || isClear(m_bufferImage) ? CanvasBitmap::make(m_bufferImage.height(), m_bufferImage.width())
                                        : SWImageTools::rotatedImage(m_bufferImage, clockwise);
        if (buffer.isNull())
            return false;
    }
    saveSize(QSizeF(m_mainImage.height(), m_mainImage.width()));
    replaceMainImage(main);
    m_bufferImage = buffer;
    return true;
}

QImage SWImageDataSource::copyMainImageData() const
{
    if (m_mainImage.isNull())
        return {};
    return CanvasBitmap::copy(m_mainImage); // a deep copy: later drawing cannot reach it
}

void SWImageDataSource::restoreMainImageFromData(const QImage& data)
{
    if (data.isNull() || m_mainImage.isNull())
        return;
    platform::CanvasWrite write(&m_mainMarks, m_mainImage, data.rect());
    SWImageTools::drawToImage(m_mainImage, data, false);
}

void SWImageDataSource::replaceMainImage(const QImage& image)
{
    platform::CanvasWrite write(&m_mainMarks, m_mainImage);
    m_mainImage = image;
    write.addAll();
}

bool SWImageDataSource::restoreBufferImageFromData(const QImage& data)
{
    if (data.isNull())
        return true;
    if (m_bufferImage.isNull() || data.width() > m_bufferImage.width() || data.height() > m_bufferImage.height()) {
        const int w = std::max(data.width(), m_bufferImage.isNull() ? 0 : m_bufferImage.width());
        const int h = std::max(data.height(), m_bufferImage.isNull() ? 0 : m_bufferImage.height());
        QImage grown = CanvasBitmap::make(w, h);
        if (grown.isNull())
            return false;
        m_bufferImage = grown;
    }
    SWImageTools::drawToImage(m_bufferImage, data, false);
    return true;
}

void SWImageDataSource::renderToContext(QPainter& painter, const QRectF& frame) const
{
    painter.save();
    const auto drawPart = [&](const QImage& image, const QRectF& clip) {
        // One image pixel to one canvas unit: only the whole pixels that
        // meet the frame are drawn, so no resampling can creep in.
        const QRect visible = frame.intersected(clip).toAlignedRect() & image.rect();
        if (visible.isEmpty())
            return;
        painter.save();
        painter.setClipRect(clip, Qt::IntersectClip);
        painter.drawImage(visible, image, visible);
        painter.restore();
    };
    // A bitmap known to be untouched adds nothing to the picture, and
    // reading it would make the pages under the view resident: the buffer
    // between gestures, a canvas whose picture is still decoding.
    if (!m_mainImage.isNull() && !CanvasBitmap::isKnownClear(m_mainImage))
        drawPart(m_mainImage, drawableRect());
    if (!m_bufferImage.isNull() && !CanvasBitmap::isKnownClear(m_bufferImage))
        drawPart(m_bufferImage, drawableRectForBufferImage(true));
    for (const auto& editor : m_editors)
        editor->renderToContext(painter, frame);
    painter.restore();
}

void SWImageDataSource::pushEditor(const std::shared_ptr<Editor>& editor)
{
    if (editor)
        m_editors.insert(m_editors.begin(), editor);
}

void SWImageDataSource::removeEditor(const std::shared_ptr<Editor>& editor)
{
    m_editors.erase(std::remove(m_editors.begin(), m_editors.end(), editor), m_editors.end());
}

void SWImageDataSource::saveSize(const QSizeF& size)
{
    m_canvasSize = size;
    m_drawableRect = QRectF(QPointF(0, 0), size);
}

void SWImageDataSource::setBufferGutterSizeWithType(int type)
{
    m_bufferGutterSize = type == 2 ? QSizeF(4, 4) : QSizeF(0, 0);
}

QRectF SWImageDataSource::drawableRectForBufferImage(bool withGutter) const
{
    if (!withGutter)
        return m_drawableRect;
    const double gw = m_bufferGutterSize.width();
    const double gh = m_bufferGutterSize.height();
    return m_drawableRect.adjusted(-gw, -gh, gw, gh);
}
