#include "ImageDecoder.h"

#include "CanvasBitmap.h"
#include "ImageFileInspector.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <new>

namespace platform {

namespace {

QString sizeText(QSize size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

ImageDecoder::Result failure(const QString& message)
{
    ImageDecoder::Result result;
    result.error = message;
    return result;
}

QString tooLarge(QSize size)
{
    return QStringLiteral("The picture is too large to open (%1 pixels).").arg(sizeText(size));
}

QString noMemory(QSize size)
{
    return QStringLiteral("There is not enough memory to open the picture (%1 pixels).").arg(sizeText(size));
}

bool exceedsLimit(QSize size)
{
    return qint64(size.width()) * qint64(size.height()) > ImageDecoder::MaximumPixelCount;
}

ImageDecoder::Result incomplete()
{
    return failure(QStringLiteral("The file is incomplete: the picture's data is cut short."));
}

// Decodes what source holds, whose structure facts describe. A file read
// as it decodes keeps only the decoded picture in memory, where a mapped
// file would stay resident as a whole beside it.
ImageDecoder::Result decodeFrom(QIODevice* source, const ImageFileInspector::Result& facts)
{
    // Set before any reader looks at the data.
    QImageReader::setAllocationLimit(ImageDecoder::AllocationLimitMB);
    QImageReader reader(source);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return failure(QStringLiteral("The file is not a picture in a format Velumo can read."));

    // Some readers (MNG) cannot tell the size before they decode, and
    // allocate for it while decoding; others allocate more than the size
    // they tell (GIF: the whole screen). The file's own header speaks for
    // them.
    QSize declared = reader.size();
    if (facts.declaredSize)
        declared = declared.isValid() ? declared.expandedTo(*facts.declaredSize) : *facts.declaredSize;
    if (declared.isValid() && exceedsLimit(declared))
        return failure(tooLarge(declared));

    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        // Qt reports a failed allocation like damaged data; an untouched
        // allocation of the same size tells the two apart at no cost.
        if (declared.isValid() && !declared.isEmpty() && QImage(declared, CanvasBitmap::Format).isNull())
            return failure(noMemory(declared));
        return failure(QStringLiteral("The file is damaged: its picture cannot be read (%1).").arg(reader.errorString()));
    }
    if (exceedsLimit(image.size()))
        return failure(tooLarge(image.size()));

    const int fileDotsPerMeter = image.dotsPerMeterX();
    const int defaultDotsPerMeter = QImage(1, 1, CanvasBitmap::Format).dotsPerMeterX();
    const QSize size = image.size();
    if (!CanvasBitmap::convert(image))
        return failure(noMemory(size));

    ImageDecoder::Result result;
    result.image = image;
    if (facts.dotsPerMeter)
        result.pixelPerPoint = CanvasBitmap::pixelPerPointFromDotsPerMeter(facts.dotsPerMeter->x());
    else if (facts.kind == ImageFileInspector::Kind::Unknown && fileDotsPerMeter > 0
             && fileDotsPerMeter != defaultDotsPerMeter)
        result.pixelPerPoint = CanvasBitmap::pixelPerPointFromDotsPerMeter(fileDotsPerMeter);
    else
        result.pixelPerPoint = 1.0; // no declared resolution: 72 dots per inch, one pixel per point
    return result;
}

} // namespace

ImageDecoder::Result ImageDecoder::decode(const QByteArray& data)
{
    if (data.isEmpty())
        return failure(QStringLiteral("The file is empty."));
    try {
        const ImageFileInspector::Result facts = ImageFileInspector::inspect(data);
        if (!facts.complete)
            return incomplete();
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        return decodeFrom(&buffer, facts);
    } catch (const std::bad_alloc&) {
        return failure(QStringLiteral("There is not enough memory to open the picture."));
    }
}

ImageDecoder::Result ImageDecoder::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("The file \"%1\" cannot be opened: %2").arg(path, file.errorString()));
    const qint64 size = file.size();
    if (size <= 0)
        return failure(QStringLiteral("The file is empty."));
    // The structure is read from the mapped file, without a copy in memory;
    // the mapping goes before the decoder allocates the picture, so the
    // file's pages and the picture are never resident side by side.
    if (uchar* mapped = file.map(0, size)) {
        ImageFileInspector::Result facts;
        try {
            facts = ImageFileInspector::inspect(QByteArrayView(mapped, qsizetype(size)));
        } catch (const std::bad_alloc&) {
            file.unmap(mapped);
            return failure(QStringLiteral("There is not enough memory to open the picture."));
        }
        file.unmap(mapped);
        if (!facts.complete)
            return incomplete();
        try {
            return decodeFrom(&file, facts);
        } catch (const std::bad_alloc&) {
            return failure(QStringLiteral("There is not enough memory to open the picture."));
        }
    }
    try {
        const QByteArray data = file.read(size);
        if (data.size() != size)
            return failure(QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString()));
        return decode(data);
    } catch (const std::bad_alloc&) {
        return failure(QStringLiteral("There is not enough memory to read the file."));
    }
}

} // namespace platform
