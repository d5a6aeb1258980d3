#include "GifEncoder.h"

#include "ColorQuantizer.h"
#include "platform/libraries/SystemLibraries.h"

#include <gif_lib.h>

#include <new>
#include <vector>

namespace platform {

namespace {

int appendToByteArray(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* out = static_cast<QByteArray*>(gif->UserData);
    try {
        out->append(reinterpret_cast<const char*>(bytes), length);
    } catch (const std::bad_alloc&) {
        return 0; // giflib then reports a write failure
    }
    return length;
}

QByteArray fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return {};
}

QString gifMessage(int code)
{
    const char* text = GifErrorString(code);
    return QStringLiteral("The GIF file cannot be written: %1").arg(text ? QString::fromLatin1(text) : QString::number(code));
}

} // namespace

QByteArray GifEncoder::encode(const QImage& canvas, QString* error)
{
    if (canvas.isNull())
        return fail(error, QStringLiteral("There is no picture to write."));
    if (canvas.width() > 65535 || canvas.height() > 65535)
        return fail(error, QStringLiteral("The picture is too large for a GIF file (at most 65535 pixels a side)."));
    // The GIF library is loaded by the first GIF written.
    if (QString why; !systemlibraries::gif().load(&why))
        return fail(error, why);

    ColorQuantizer::Result q;
    try {
        q = ColorQuantizer::quantize(canvas);
    } catch (const std::bad_alloc&) {
        return fail(error, QStringLiteral("There is not enough memory to write the GIF file."));
    }
    if (q.indices.empty())
        return fail(error, QStringLiteral("There is not enough memory to write the GIF file."));

    // giflib wants a colour table of a power of two, at least 2 entries.
    int tableSize = 2;
    while (tableSize < int(q.palette.size()))
        tableSize *= 2;
    std::vector<GifColorType> colors(std::size_t(tableSize), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < q.palette.size(); ++i)
        colors[i] = GifColorType{GifByteType(qRed(q.palette[i])), GifByteType(qGreen(q.palette[i])),
                                 GifByteType(qBlue(q.palette[i]))};

    QByteArray out;
    int code = 0;
    GifFileType* gif = EGifOpen(&out, appendToByteArray, &code);
    if (!gif)
        return fail(error, gifMessage(code));
    ColorMapObject* map = GifMakeMapObject(tableSize, colors.data());
    bool ok = map != nullptr;
    EGifSetGifVersion(gif, true);
    ok = ok && EGifPutScreenDesc(gif, q.width, q.height, 8, 0, map) == GIF_OK;
    if (ok && q.transparentIndex >= 0) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.UserInputFlag = false;
        gcb.DelayTime = 0;
        gcb.TransparentColor = q.transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&gcb, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, q.width, q.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < q.height; ++y)
        ok = EGifPutLine(gif, q.indices.data() + std::size_t(y) * std::size_t(q.width), q.width) == GIF_OK;
    if (!ok)
        code = gif->Error;
    int closeCode = 0;
    if (EGifCloseFile(gif, &closeCode) != GIF_OK && ok) {
        ok = false;
        code = closeCode;
    }
    if (map)
        GifFreeMapObject(map);
    if (!ok)
        return fail(error, gifMessage(code));
    return out;
}

} // namespace platform
