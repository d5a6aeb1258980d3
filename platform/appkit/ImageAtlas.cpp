#include "ImageAtlas.h"

#include "ImageAtlasLayout.h"

#include <QFile>
#include <QMutex>
#include <QtEndian>

#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
using Layout = ImageAtlasLayout;

std::uint32_t u32(const uchar* at) { return qFromLittleEndian<quint32>(at); }
} // namespace

const ImageAtlas& ImageAtlas::inFolder(const QString& resourceDirectory)
{
    // Tests point the resource folder elsewhere: each folder has its own.
    static QMutex lock;
    static std::map<QString, std::unique_ptr<ImageAtlas>> atlases;
    QMutexLocker locked(&lock);
    std::unique_ptr<ImageAtlas>& atlas = atlases[resourceDirectory];
    if (!atlas)
        atlas = std::make_unique<ImageAtlas>(resourceDirectory + QLatin1Char('/') + fileName());
    return *atlas;
}

ImageAtlas::ImageAtlas(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat facts {};
    void* mapped = MAP_FAILED;
    if (::fstat(fd, &facts) == 0 && S_ISREG(facts.st_mode) && facts.st_size >= off_t(Layout::kHeaderSize))
        mapped = ::mmap(nullptr, std::size_t(facts.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED)
        return;
    if (!index(static_cast<const uchar*>(mapped), std::size_t(facts.st_size))) {
        // Nothing points into a file that was refused.
        m_images.clear();
        ::munmap(mapped, std::size_t(facts.st_size));
    }
}

bool ImageAtlas::index(const uchar* bytes, std::size_t size)
{
    if (std::memcmp(bytes, Layout::kMagic, sizeof Layout::kMagic) != 0 || u32(bytes + 8) != Layout::kVersion)
        return false;
    const std::uint64_t count = u32(bytes + 12);
    if (count > Layout::kMaxRecords || Layout::kHeaderSize + count * Layout::kRecordSize > size)
        return false;
    m_images.reserve(qsizetype(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const uchar* record = bytes + Layout::kHeaderSize + i * Layout::kRecordSize;
        const std::uint64_t data = qFromLittleEndian<quint64>(record + Layout::kDataOffset);
        const std::uint64_t nameAt = u32(record + Layout::kNameOffset);
        const std::uint64_t nameBytes = u32(record + Layout::kNameBytes);
        const std::uint32_t format = u32(record + Layout::kFormat);
        const std::uint64_t width = u32(record + Layout::kWidth);
        const std::uint64_t height = u32(record + Layout::kHeight);
        const std::uint64_t bytesPerLine = u32(record + Layout::kBytesPerLine);
        if (nameBytes == 0 || nameBytes > Layout::kMaxNameBytes || nameAt + nameBytes > size)
            return false;
        if (!Layout::holdsFormat(format) || width == 0 || height == 0 || width > Layout::kMaxSide ||
            height > Layout::kMaxSide)
            return false;
        // Rows as QImage lays them out: four bytes a pixel, whole words.
        if (bytesPerLine < width * 4 || bytesPerLine % 4 != 0 || bytesPerLine > width * 4 + Layout::kPixelAlignment)
            return false;
        if (data % 4 != 0 || data > size || bytesPerLine * height > size - data)
            return false;
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(bytes + nameAt), qsizetype(nameBytes));
        m_images.insert(name, {bytes + data, int(width), int(height), qsizetype(bytesPerLine),
                               QImage::Format(format), int(qFromLittleEndian<qint32>(record + Layout::kDotsPerMeterX)),
                               int(qFromLittleEndian<qint32>(record + Layout::kDotsPerMeterY))});
    }
    return true;
}

QImage ImageAtlas::image(const QString& relativePath) const
{
    const auto found = m_images.constFind(relativePath);
    if (found == m_images.constEnd())
        return {};
    // The const constructor keeps the mapped rows read-only: whoever paints
    // into the image gets a copy of its own first.
    QImage image(found->pixels, found->width, found->height, found->bytesPerLine, found->format);
    image.setDotsPerMeterX(found->dotsPerMeterX);
    image.setDotsPerMeterY(found->dotsPerMeterY);
    return image;
}

} // namespace platform
