#pragma once

#include <QByteArrayView>
#include <QPointF>
#include <QSize>

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

// Reads the structure of an image file without decoding its pixels, for two
// things the decoders do not tell us:
// - whether the file is cut short (some decoders fill a truncated picture
//   with grey and report success);
// - the resolution the file declares, and whether it declares one at all
//   (a decoded image carries a default resolution either way);
// - the size of pictures whose reader decodes before it knows the size,
//   or allocates more than the size it reports (a GIF's screen).
// A file whose chunks or blocks declare more data than it holds counts as
// cut short, so that it is refused before a decoder allocates what the
// declaration asks for.
// Every read is bounds-checked: the input is untrusted.
class ImageFileInspector {
public:
    enum class Kind { Unknown, Png, Jpeg, Gif, Bmp, Tiff, Mng };

    struct Result {
        Kind kind = Kind::Unknown;
        // False when the data ends before the picture's data does.
        bool complete = true;
        // Declared resolution in dots per metre (x, y), when the file has one.
        std::optional<QPointF> dotsPerMeter;
        // The largest picture the file declares, for formats whose Qt reader
        // cannot tell the size before decoding (MNG) or allocates more than
        // the size it tells (GIF: the whole screen).
        std::optional<QSize> declaredSize;
    };

    static Result inspect(QByteArrayView data);
    // The same for a PNG file, read through read(offset, into, most) (the
    // bytes read, or -1) a few bytes at a time; nothing when the file is no
    // PNG.
    static std::optional<Result> inspectPngFile(const std::function<qint64(std::uint64_t, char*, qint64)>& read,
                                                std::uint64_t size);
};

} // namespace platform
