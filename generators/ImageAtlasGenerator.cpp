// Gathers the images the build has drawn into the resource folder into one
// file of decoded pixels (see platform/appkit/ImageAtlasLayout.h), so that
// the program maps them at start-up instead of inflating each PNG file.
//   velumo-image-atlas-generator SHARE_DIR FOLDER...
// reads every FOLDER/*.png below SHARE_DIR ("." for SHARE_DIR itself) and
// writes SHARE_DIR/images.atlas. An image that would not come back the same
// from the atlas (a colour table, a colour space, text) is left out: the
// program decodes its file as before.
#include "platform/appkit/ImageAtlasLayout.h"

#include <QByteArray>
#include <QColorSpace>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
using Layout = platform::ImageAtlasLayout;

struct Held {
    QByteArray name;
    QImage image;
};

bool wrappable(const QImage& image)
{
    if (!Layout::holdsFormat(image.format()))
        return false;
    return image.width() <= int(Layout::kMaxSide) && image.height() <= int(Layout::kMaxSide) &&
           !image.colorSpace().isValid() && image.textKeys().isEmpty();
}

bool isSecondResolution(const QByteArray& name) { return name.endsWith("@2x.png"); }

void put32(QByteArray& out, qsizetype at, quint32 value) { qToLittleEndian<quint32>(value, out.data() + at); }

qsizetype aligned(qsizetype offset)
{
    return (offset + Layout::kPixelAlignment - 1) / Layout::kPixelAlignment * Layout::kPixelAlignment;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: velumo-image-atlas-generator SHARE_DIR FOLDER...\n");
        return 2;
    }
    const QDir share(QString::fromLocal8Bit(argv[1]));
    std::vector<Held> held;
    for (int i = 2; i < argc; ++i) {
        const QString folder = QString::fromLocal8Bit(argv[i]);
        const QDir dir(share.filePath(folder));
        // Sorted by name, so that the same images make the same file.
        for (const QString& file : dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
            QImageReader reader(dir.filePath(file), "png");
            reader.setAutoDetectImageFormat(false);
            QImage image = reader.read();
            if (image.isNull()) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(dir.filePath(file)));
                return 1;
            }
            if (!wrappable(image))
                continue;
            const QString relative = folder == QLatin1String(".") ? file : folder + QLatin1Char('/') + file;
            held.push_back({relative.toUtf8(), image});
        }
    }
    if (held.size() > Layout::kMaxRecords)
        return 1;
    // A screen shows one resolution: the images of each lie together, so
    // that the pages the kernel maps around those read are of the same
    // resolution and the other one stays on disk.
    std::stable_sort(held.begin(), held.end(), [](const Held& a, const Held& b) {
        return isSecondResolution(a.name) < isSecondResolution(b.name);
    });

    QByteArray out(Layout::kHeaderSize + qsizetype(held.size()) * Layout::kRecordSize, '\0');
    std::copy(std::begin(Layout::kMagic), std::end(Layout::kMagic), out.begin());
    put32(out, 8, Layout::kVersion);
    put32(out, 12, quint32(held.size()));
    std::vector<qsizetype> nameAt;
    for (const Held& h : held) {
        nameAt.push_back(out.size());
        out += h.name;
    }
    for (std::size_t i = 0; i < held.size(); ++i) {
        const QImage& image = held[i].image;
        out.resize(aligned(out.size()), '\0');
        const qsizetype data = out.size();
        out.append(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        const qsizetype record = Layout::kHeaderSize + qsizetype(i) * Layout::kRecordSize;
        qToLittleEndian<quint64>(quint64(data), out.data() + record + Layout::kDataOffset);
        put32(out, record + Layout::kNameOffset, quint32(nameAt[i]));
        put32(out, record + Layout::kNameBytes, quint32(held[i].name.size()));
        put32(out, record + Layout::kFormat, quint32(image.format()));
        put32(out, record + Layout::kWidth, quint32(image.width()));
        put32(out, record + Layout::kHeight, quint32(image.height()));
        put32(out, record + Layout::kBytesPerLine, quint32(image.bytesPerLine()));
        qToLittleEndian<qint32>(qint32(image.dotsPerMeterX()), out.data() + record + Layout::kDotsPerMeterX);
        qToLittleEndian<qint32>(qint32(image.dotsPerMeterY()), out.data() + record + Layout::kDotsPerMeterY);
    }

    QSaveFile file(share.filePath(QStringLiteral("images.atlas")));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    return 0;
}
