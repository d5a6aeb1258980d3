#include "Pasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>

namespace platform {

namespace {
const char* mimeFor(const QString& type)
{
    if (type == Pasteboard::tiffType())
        return "image/tiff";
    if (type == Pasteboard::pngType())
        return "image/png";
    if (type == Pasteboard::textType())
        return "text/plain";
    return nullptr;
}

const QMimeData* mime()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

QImage decode(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    return reader.read();
}
} // namespace

Pasteboard& Pasteboard::general()
{
    static Pasteboard pasteboard;
    return pasteboard;
}

QString Pasteboard::tiffType() { return QStringLiteral("public.tiff"); }
QString Pasteboard::pngType() { return QStringLiteral("public.png"); }
QString Pasteboard::textType() { return QStringLiteral("public.utf8-plain-text"); }

bool Pasteboard::hasImageType() const
{
    const QMimeData* data = mime();
    if (!data)
        return false;
    if (data->hasImage())
        return true;
    for (const QString& format : data->formats()) {
        if (format.startsWith(QLatin1String("image/")))
            return true;
    }
    return false;
}

QStringList Pasteboard::types() const
{
    QStringList result;
    const QMimeData* data = mime();
    if (!data)
        return result;
    if (hasImageType())
        result << tiffType();
    if (data->hasFormat(QStringLiteral("image/png")))
        result << pngType();
    if (data->hasText())
        result << textType();
    return result;
}

QByteArray Pasteboard::dataForType(const QString& type) const
{
    const QMimeData* data = mime();
    const char* format = mimeFor(type);
    if (!data || !format)
        return {};
    if (data->hasFormat(QString::fromLatin1(format)))
        return data->data(QString::fromLatin1(format));
    if (type == tiffType()) {
        // Another program offered the picture in another form: hand it on
        // as TIFF bytes.
        const QImage image = readImage();
        if (image.isNull())
            return {};
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "tiff");
        return writer.write(image) ? bytes : QByteArray();
    }
    return {};
}

QImage Pasteboard::readImage() const
{
    const QMimeData* data = mime();
    if (!data)
        return {};
    // Prefer the lossless encodings; Qt's own image comes last because
    // some programs announce it without being able to deliver it.
    for (const char* format : {"image/png", "image/tiff", "image/bmp", "image/gif", "image/jpeg"}) {
        const QString name = QString::fromLatin1(format);
        if (data->hasFormat(name)) {
            const QImage image = decode(data->data(name));
            if (!image.isNull())
                return image;
        }
    }
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull())
            return image;
    }
    for (const QString& format : data->formats()) {
        if (format.startsWith(QLatin1String("image/"))) {
            const QImage image = decode(data->data(format));
            if (!image.isNull())
                return image;
        }
    }
    return {};
}

void Pasteboard::writeImage(const QImage& image)
{
    auto* data = new QMimeData;
    data->setImageData(image);
    QByteArray tiff;
    {
        QBuffer buffer(&tiff);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "tiff");
        if (!writer.write(image))
            tiff.clear();
    }
    if (!tiff.isEmpty())
        data->setData(QStringLiteral("image/tiff"), tiff);
    QGuiApplication::clipboard()->setMimeData(data);
}

void Pasteboard::writeText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

void Pasteboard::clearContents()
{
    QGuiApplication::clipboard()->clear();
}

void Pasteboard::setData(const QByteArray& bytes, const QString& type)
{
    auto* data = new QMimeData;
    const char* format = mimeFor(type);
    data->setData(format ? QString::fromLatin1(format) : type, bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace platform
