#include "platform/appkit/ImageAtlas.h"
#include "platform/appkit/ImageResource.h"

#include "SamePixels.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString shareDir() { return qEnvironmentVariable("VELUMO_SHARE_DIR"); }

QImage decodePng(const QString& path)
{
    QImageReader reader(path, "png");
    return reader.read();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

// Every image the build drew comes out of the atlas as Qt's own PNG reader
// decodes its file: same format, size, pixel density and bytes.
TEST(ImageAtlas, HoldsEveryDrawnImageAsItsPngDecodes)
{
    const QString share = shareDir();
    ASSERT_FALSE(share.isEmpty());
    const platform::ImageAtlas atlas(share + QStringLiteral("/images.atlas"));
    int compared = 0;
    for (const QString& folder : {QStringLiteral("."), QStringLiteral("skins"), QStringLiteral("ribbon")}) {
        const QDir dir(share + QLatin1Char('/') + folder);
        for (const QString& file : dir.entryList({QStringLiteral("*.png")}, QDir::Files)) {
            const QString relative = folder == QLatin1String(".") ? file : folder + QLatin1Char('/') + file;
            SCOPED_TRACE(relative.toStdString());
            const QImage expected = decodePng(dir.filePath(file));
            const QImage held = atlas.image(relative);
            ASSERT_FALSE(held.isNull());
            EXPECT_EQ(held.format(), expected.format());
            EXPECT_EQ(held.dotsPerMeterX(), expected.dotsPerMeterX());
            EXPECT_EQ(held.dotsPerMeterY(), expected.dotsPerMeterY());
            EXPECT_TRUE(samePixels(held, expected));
            ++compared;
        }
    }
    // The skins alone are well over a hundred files: an atlas that lost
    // its folders would compare nothing.
    EXPECT_GT(compared, 100);
    EXPECT_GE(atlas.count(), compared);
    EXPECT_TRUE(atlas.image(QStringLiteral("skins/no-such-image.png")).isNull());
}

// The pixels are the mapped file's: painting into an image handed out gives
// that image a copy and leaves the atlas as it was.
TEST(ImageAtlas, ImagesHandedOutAreCopiedOnWrite)
{
    const platform::ImageAtlas atlas(shareDir() + QStringLiteral("/images.atlas"));
    const QString name = QStringLiteral("velumo.png");
    const QImage original = decodePng(shareDir() + QLatin1Char('/') + name);
    QImage image = atlas.image(name);
    ASSERT_FALSE(image.isNull());
    image.fill(Qt::red);
    EXPECT_EQ(image.pixel(0, 0), QColor(Qt::red).rgba());
    EXPECT_TRUE(samePixels(atlas.image(name), original));
}

// A damaged atlas is refused whole, and the bundle's files are decoded as
// if there were none.
TEST(ImageAtlas, DamagedFilesHoldNothing)
{
    const QByteArray good = readAll(shareDir() + QStringLiteral("/images.atlas"));
    ASSERT_GT(good.size(), 64);
    const auto patched = [&](qsizetype at, QByteArrayView bytes) {
        QByteArray copy = good;
        copy.replace(at, bytes.size(), bytes.toByteArray());
        return copy;
    };
    const quint32 huge = 0xffffff00u;
    const QByteArrayView hugeBytes(reinterpret_cast<const char*>(&huge), 4); // little-endian machine
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"header only", good.left(16)},
        {"cut in the pixels", good.left(good.size() - 1)},
        {"wrong magic", patched(0, "XLMATLAS")},
        {"unknown version", patched(8, QByteArrayView("\x02\0\0\0", 4))},
        {"more records than the file holds", patched(12, hugeBytes)},
        {"pixels beyond the end", patched(16 + 0, hugeBytes)},
        {"name beyond the end", patched(16 + 8, hugeBytes)},
        {"format with a colour table", patched(16 + 16, QByteArrayView("\x03\0\0\0", 4))},
        {"rows narrower than the width", patched(16 + 28, QByteArrayView("\x04\0\0\0", 4))},
        {"giant width", patched(16 + 20, hugeBytes)},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QString::fromLatin1(c.what));
        ASSERT_TRUE(writeAll(path, c.bytes));
        const platform::ImageAtlas atlas(path);
        EXPECT_EQ(atlas.count(), 0);
        EXPECT_TRUE(atlas.image(QStringLiteral("velumo.png")).isNull());
    }
    EXPECT_EQ(platform::ImageAtlas(dir.filePath(QStringLiteral("missing"))).count(), 0);
}

// Reading a bundle file answers the same picture with or without an atlas.
TEST(ImageAtlas, BundleFilesReadTheSameWithAndWithoutIt)
{
    const QString path = shareDir() + QStringLiteral("/skins/") +
                         QDir(shareDir() + QStringLiteral("/skins")).entryList({QStringLiteral("*.png")}).value(0);
    const QImage viaResource = platform::ImageResource::readFile(path);
    const QImage decoded = decodePng(path);
    EXPECT_EQ(viaResource.format(), decoded.format());
    EXPECT_TRUE(samePixels(viaResource, decoded));
}
