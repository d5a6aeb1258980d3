#pragma once

#include <QByteArrayView>
#include <QPointF>

#include <optional>

namespace platform {

// Reads the structure of an image file without decoding its pixels, for two
// things the decoders do not tell us:
// - whether the file is cut short (some decoders fill a truncated picture
//   with grey and report success);
// - the resolution the file declares, and whether it declares one at all
//   (a decoded image carries a default resolution either way).
// Every read is bounds-checked: the input is untrusted.
class ImageFileInspector {
public:
    enum class Kind { Unknown, Png, Jpeg, Gif, Bmp, Tiff };

    struct Result {
        Kind kind = Kind::Unknown;
        // False when the data ends before the picture's data does.
        bool complete = true;
        // Declared resolution in dots per metre (x, y), when the file has one.
        std::optional<QPointF> dotsPerMeter;
    };

    static Result inspect(QByteArrayView data);
};

} // namespace platform
