#include "ImageDecoder.h"

#include "CanvasBitmap.h"
#include "ImageFileInspector.h"
#include "PngRowReader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cstdint>
#include <functional>
#include <new>
#include <optional>

#include <unistd.h>

namespace platform {

namespace {

QString sizeText(QSize size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

const QString kEmpty = QStringLiteral("The file is empty.");
const QString kNoMemory = QStringLiteral("There is not enough memory to open the picture.");

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

// Qt's limit is process-wide: set once, never again while another thread
// may be reading.
void limitAllocations()
{
    static const bool limited = [] {
        QImageReader::setAllocationLimit(ImageDecoder::AllocationLimitMB);
        return true;
    }();
    (void)limited;
}

// A file that fails every read once stop is set: the decoders give up at
// their next read, so a decode that nobody waits for any more ends early.
class StoppableFile final : public QIODevice {
public:
    StoppableFile(QFile& file, const std::atomic<bool>* stop) : m_file(file), m_stop(stop) {}
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_file.size(); }

protected:
    // Opened unbuffered: pos() is where the read starts.
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_stop && m_stop->load(std::memory_order_relaxed))
            return -1;
        if (m_file.pos() != pos() && !m_file.seek(pos()))
            return -1;
        return m_file.read(data, maxSize);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile& m_file;
    const std::atomic<bool>* m_stop;
};

// Where the file's own bytes told its kind, the reader is told that kind;
// only a file of no kind we know is left to the reader to recognise. A
// reader that recognises the data itself asks every image format plug-in
// whether it reads it, which loads them all, with libraries of their own,
// to open a plain PNG.
void prepareReader(QImageReader& reader, const ImageFileInspector::Result& facts)
{
    using Kind = ImageFileInspector::Kind;
    const char* format = nullptr;
    switch (facts.kind) {
    case Kind::Png: format = "png"; break;
    case Kind::Jpeg: format = "jpeg"; break;
    case Kind::Gif: format = "gif"; break;
    case Kind::Bmp: format = "bmp"; break;
    case Kind::Tiff: format = "tiff"; break;
    case Kind::Mng: format = "mng"; break;
    case Kind::Unknown: break;
    }
    if (!format) {
        reader.setDecideFormatFromContent(true);
        return;
    }
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
}

// The size the picture will have, from the reader and from the file's own
// header, or why it will not open. Some readers (MNG) cannot tell the size
// before they decode, and allocate for it while decoding; others allocate
// more than the size they tell (GIF: the whole screen). The file's own
// header speaks for them.
QString checkHeader(QImageReader& reader, const ImageFileInspector::Result& facts, QSize& declared)
{
    if (!reader.canRead())
        return QStringLiteral("The file is not a picture in a format Velumo can read.");
    declared = reader.size();
    if (facts.declaredSize)
        declared = declared.isValid() ? declared.expandedTo(*facts.declaredSize) : *facts.declaredSize;
    if (declared.isValid() && exceedsLimit(declared))
        return tooLarge(declared);
    return {};
}

// The 32-bit formats readers decode to, which become the canvas format in
// place, row by row: such a picture is decoded straight into the memory of
// the canvas bitmap that keeps it.
bool becomesCanvasInPlace(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
}

void toCanvasRows(QImage& canvas, QImage::Format from)
{
    const int width = canvas.width();
    for (int y = 0; y < canvas.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(canvas.scanLine(y));
        if (from == QImage::Format_ARGB32) {
            for (int x = 0; x < width; ++x) {
                const QRgb c = qPremultiply(row[x]);
                row[x] = CanvasBitmap::pack(std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c)),
                                            std::uint8_t(qAlpha(c)));
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const QRgb c = row[x];
                row[x] = CanvasBitmap::pack(std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c)), 255);
            }
        }
    }
}

// The resolution the file's structure declares; a file that declares none
// is read at 72 dots per inch, one pixel per point.
ImageDecoder::Result withResolution(ImageDecoder::Result result, const ImageFileInspector::Result& facts)
{
    if (result.ok())
        result.pixelPerPoint =
            facts.dotsPerMeter ? CanvasBitmap::pixelPerPointFromDotsPerMeter(facts.dotsPerMeter->x()) : 1.0;
    return result;
}

ImageDecoder::Result readPng(QIODevice* source, QSize declared)
{
    PngRowReader::Failure why = PngRowReader::Failure::None;
    QString detail;
    ImageDecoder::Result result;
    result.image = PngRowReader::read(source, ImageDecoder::MaximumPixelCount, &why, &detail);
    switch (why) {
    case PngRowReader::Failure::None:
        break;
    case PngRowReader::Failure::NoMemory:
        return declared.isValid() ? failure(noMemory(declared)) : failure(kNoMemory);
    case PngRowReader::Failure::TooLarge:
        return failure(tooLarge(declared));
    case PngRowReader::Failure::Damaged:
        return failure(QStringLiteral("The file is damaged: its picture cannot be read (%1).").arg(detail));
    }
    return result;
}

// Decodes what source holds, whose structure facts describe. A file read
// as it decodes keeps only the decoded picture in memory, where a mapped
// file would stay resident as a whole beside it.
ImageDecoder::Result decodeFrom(QIODevice* source, const ImageFileInspector::Result& facts)
{
    // Set before any reader looks at the data.
    limitAllocations();
    QImageReader reader(source);
    prepareReader(reader, facts);
    QSize declared;
    if (const QString refused = checkHeader(reader, facts, declared); !refused.isEmpty())
        return failure(refused);

    // A PNG is read row by row straight into the canvas: no second picture
    // (a 16-bit one would take twice the canvas's memory beside it), no
    // conversion pass, the file read in large pieces.
    if (facts.kind == ImageFileInspector::Kind::Png) {
        // The reader has read the header already, and goes on from there.
        const qint64 resumeAt = source->pos();
        if (source->seek(0) && PngRowReader::takes(source))
            return withResolution(readPng(source, declared), facts);
        if (!source->seek(resumeAt))
            return failure(QStringLiteral("The file cannot be read again."));
    }

    // Where the reader will decode to 32 bits a pixel at the size it told,
    // it decodes into the canvas bitmap's own memory (a large one of whole
    // pages that the system may back with huge pages: fewer page faults).
    const QImage::Format decodedFormat = reader.imageFormat();
    QImage canvas;
    QImage image;
    if (!facts.declaredSize && declared.isValid() && !declared.isEmpty() && becomesCanvasInPlace(decodedFormat)) {
        canvas = CanvasBitmap::make(declared);
        if (!canvas.isNull())
            image = QImage(canvas.bits(), canvas.width(), canvas.height(), canvas.bytesPerLine(), decodedFormat);
    }
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
    if (!canvas.isNull() && image.constBits() == canvas.constBits() && image.format() == decodedFormat &&
        image.size() == canvas.size()) {
        canvas.setDotsPerMeterX(image.dotsPerMeterX());
        canvas.setDotsPerMeterY(image.dotsPerMeterY());
        image = QImage(); // the view into the canvas goes before the canvas changes
        toCanvasRows(canvas, decodedFormat);
        image = canvas;
    } else {
        canvas = QImage(); // the reader chose memory of its own
        if (!CanvasBitmap::convert(image))
            return failure(noMemory(size));
    }

    ImageDecoder::Result result;
    result.image = image;
    if (!facts.dotsPerMeter && facts.kind == ImageFileInspector::Kind::Unknown && fileDotsPerMeter > 0
        && fileDotsPerMeter != defaultDotsPerMeter)
        result.pixelPerPoint = CanvasBitmap::pixelPerPointFromDotsPerMeter(fileDotsPerMeter);
    else
        result = withResolution(std::move(result), facts);
    return result;
}

QString cannotOpen(const QString& path, const QFile& file)
{
    return QStringLiteral("The file \"%1\" cannot be opened: %2").arg(path, file.errorString());
}

// The structure of an open file. A PNG's chunks are walked with small
// reads; any other file is read from its mapping, without a copy in
// memory. The mapping goes before returning, so that the file's pages and
// the decoder's picture are never resident side by side. False when the
// file cannot be read.
bool inspectFile(QFile& file, ImageFileInspector::Result& facts)
{
    const qint64 size = file.size();
    const int handle = file.handle();
    if (handle >= 0) {
        const std::function<qint64(std::uint64_t, char*, qint64)> read = [handle](std::uint64_t at, char* into,
                                                                                  qint64 most) {
            const ssize_t got = pread(handle, into, std::size_t(most), off_t(at));
            return qint64(got);
        };
        const std::optional<ImageFileInspector::Result> png = ImageFileInspector::inspectPngFile(read, quint64(size));
        if (png) {
            facts = *png;
            return true;
        }
    }
    uchar* mapped = file.map(0, size);
    if (!mapped)
        return false;
    try {
        facts = ImageFileInspector::inspect(QByteArrayView(mapped, qsizetype(size)));
    } catch (...) {
        file.unmap(mapped);
        throw;
    }
    file.unmap(mapped);
    return true;
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
        return failure(kNoMemory);
    }
}

ImageDecoder::Header ImageDecoder::readHeader(const QString& path)
{
    Header header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        header.error = cannotOpen(path, file);
        return header;
    }
    if (file.size() <= 0) {
        header.error = kEmpty;
        return header;
    }
    try {
        ImageFileInspector::Result facts;
        if (inspectFile(file, facts) && !facts.complete) {
            header.error = incomplete().error;
            return header;
        }
        limitAllocations();
        QImageReader reader(&file);
        prepareReader(reader, facts);
        header.error = checkHeader(reader, facts, header.size);
    } catch (const std::bad_alloc&) {
        header.error = kNoMemory;
    }
    return header;
}

ImageDecoder::Result ImageDecoder::readFile(const QString& path, const std::atomic<bool>* stop)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(cannotOpen(path, file));
    const qint64 size = file.size();
    if (size <= 0)
        return failure(kEmpty);
    try {
        ImageFileInspector::Result facts;
        if (inspectFile(file, facts)) {
            if (!facts.complete)
                return incomplete();
            StoppableFile source(file, stop);
            if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                return failure(cannotOpen(path, file));
            return decodeFrom(&source, facts);
        }
    } catch (const std::bad_alloc&) {
        return failure(kNoMemory);
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
