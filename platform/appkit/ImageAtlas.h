#pragma once

#include <QHash>
#include <QImage>
#include <QString>

#include <cstddef>

namespace platform {

// The bundle's images decoded at build time into one file, mapped into
// memory and handed out as read-only images over the mapped pixels: no
// decoding, no copy. A missing, truncated or inconsistent file holds no
// images, and callers decode the PNG files as before.
//
// The mapping is never undone: the images handed out point into it and may
// live as long as the process (the skin caches keep them).
class ImageAtlas {
public:
    // The atlas named "images.atlas" in that resource folder, mapped once
    // per folder for the life of the process.
    static const ImageAtlas& inFolder(const QString& resourceDirectory);

    explicit ImageAtlas(const QString& path);
    ImageAtlas(const ImageAtlas&) = delete;
    ImageAtlas& operator=(const ImageAtlas&) = delete;

    // The image held under that path relative to the resource folder (as
    // "skins/name.png"); null when it holds none. Writing to it copies it.
    QImage image(const QString& relativePath) const;
    qsizetype count() const { return m_images.size(); }

    static QString fileName() { return QStringLiteral("images.atlas"); }

private:
    struct Entry {
        const uchar* pixels;
        int width;
        int height;
        qsizetype bytesPerLine;
        QImage::Format format;
        int dotsPerMeterX;
        int dotsPerMeterY;
    };
    bool index(const uchar* bytes, std::size_t size);

    QHash<QString, Entry> m_images;
};

} // namespace platform
