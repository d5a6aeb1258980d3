#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class QMimeData;

namespace platform {

// The general clipboard, seen through the types the program deals in.
// Images travel as TIFF (plus PNG and Qt's own image for other programs).
class Pasteboard {
public:
    static Pasteboard& general();

    static QString tiffType();  // "public.tiff"
    static QString pngType();   // "public.png"
    static QString textType();  // "public.utf8-plain-text"

    // What the clipboard holds; null when nothing is on offer.
    const QMimeData* contents() const;

    // The types on offer: the TIFF type whenever the clipboard announces
    // an image in any form, the PNG type when PNG bytes are there, the
    // text type for text.
    QStringList types() const;
    // Whether a picture is on offer: PNG, TIFF, BMP, GIF or JPEG bytes, or
    // Qt's own image. Nothing is read or decoded.
    bool hasImageType() const;
    // The clipboard's image, decoded; a null image when there is none or
    // its bytes do not decode.
    QImage readImage() const;
    QByteArray dataForType(const QString& type) const;

    // Replaces the clipboard's content with the image.
    void writeImage(const QImage& image);
    void writeText(const QString& text);
    void clearContents();
    // Places raw bytes under a type (tests use it for unreadable data).
    void setData(const QByteArray& data, const QString& type);
};

} // namespace platform
