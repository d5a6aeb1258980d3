#include "ImageResource.h"

#include "platform/foundation/Bundle.h"

#include <QFileInfo>
#include <QStringList>

namespace platform {

namespace {
QStringList& extraDirectories()
{
    static QStringList directories;
    return directories;
}

QString existing(const QString& path)
{
    return QFileInfo(path).isFile() ? path : QString();
}
} // namespace

void ImageResource::addSearchDirectory(const QString& directory)
{
    if (!extraDirectories().contains(directory))
        extraDirectories() << directory;
}

ImageResource::Files ImageResource::find(const QString& name)
{
    Files files;
    // A name is a plain file name: nothing may climb out of the folders.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return files;
    const QString resources = Bundle::resourceDirectory();
    QStringList directories = extraDirectories();
    directories << resources << resources + QStringLiteral("/skins");
    static const char* const types[] = {"png", "tiff", "jpg"};
    for (const QString& directory : directories) {
        for (const char* type : types) {
            const QString stem = directory + QLatin1Char('/') + name;
            files.path = existing(stem + QLatin1Char('.') + QLatin1String(type));
            files.path2x = existing(stem + QStringLiteral("@2x.") + QLatin1String(type));
            if (!files.isNull())
                return files;
        }
    }
    return files;
}

QList<QImage> ImageResource::load(const QString& name)
{
    const Files files = find(name);
    QList<QImage> representations;
    QImage single = files.path.isEmpty() ? QImage() : QImage(files.path);
    if (!single.isNull()) {
        single.setDevicePixelRatio(1.0);
        representations << single;
    }
    QImage twice = files.path2x.isEmpty() ? QImage() : QImage(files.path2x);
    if (!twice.isNull()) {
        twice.setDevicePixelRatio(2.0);
        representations << twice;
    }
    return representations;
}

} // namespace platform
