#include "Pasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {

namespace {
// The encoded pictures the program takes off the clipboard, lossless ones
// first.
const char* const kImageFormats[] = {"image/png", "image/tiff", "image/bmp", "image/gif", "image/jpeg"};

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

// Whether the X server knows nobody who holds the clipboard. The toolkit's
// X11 clipboard answers any question about another program's offer, even
// an empty one, by listing its formats, and that listing loads every image
// reader the toolkit has: an empty clipboard is not asked.
bool x11ClipboardHasNoOwner()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    static xcb_connection_t* atomConnection = nullptr;
    static xcb_atom_t clipboardAtom = XCB_ATOM_NONE;
    if (atomConnection != connection) {
        static const char kName[] = "CLIPBOARD";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
        if (!atom)
            return false;
        clipboardAtom = atom->atom;
        atomConnection = connection;
        free(atom);
    }
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboardAtom), nullptr);
    if (!owner)
        return false;
    const bool none = owner->owner == XCB_NONE;
    free(owner);
    return none;
}

const QMimeData* mime()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || x11ClipboardHasNoOwner())
        return nullptr;
    return clipboard->mimeData();
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

const QMimeData* Pasteboard::contents() const
{
    return mime();
}

QString Pasteboard::tiffType() { return QStringLiteral("public.tiff"); }
QString Pasteboard::pngType() { return QStringLiteral("public.png"); }
QString Pasteboard::textType() { return QStringLiteral("public.utf8-plain-text"); }

bool Pasteboard::hasImageType() const
{
    // Asked at every menu validation. The types are asked for one by one:
    // listing another program's offer, or asking it for "an image" in
    // general, has the toolkit load every image reader it has to learn
    // which types are pictures.
    const QMimeData* data = mime();
    if (!data)
        return false;
    for (const char* format : kImageFormats) {
        if (data->hasFormat(QString::fromLatin1(format)))
            return true;
    }
    // Qt's own image is only ever held by a copy made in this program
    // (another program's image arrives encoded); such an offer answers from
    // its own list.
    return !data->inherits("QInternalMimeData") && data->hasImage();
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
    for (const char* format : kImageFormats) {
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
