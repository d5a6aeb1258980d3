#include "ImageResource.h"

#include "platform/foundation/Bundle.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace platform {

namespace {
QStringList& extraDirectories()
{
    static QStringList directories;
    return directories;
}

// The files of one of the bundle's folders. Those folders do not change
// while the program runs, so each is listed once: a window's set-up looks
// up hundreds of names, each in several folders, types and resolutions,
// and asking the file system every time made up a good part of start-up.
bool bundleFolderHolds(const QString& directory, const QString& fileName)
{
    static QMutex lock;
    static QHash<QString, QSet<QString>> listings;
    QMutexLocker locked(&lock);
    auto listing = listings.constFind(directory);
    if (listing == listings.constEnd()) {
        const QStringList files = QDir(directory).entryList(QDir::Files | QDir::Hidden);
        listing = listings.insert(directory, QSet<QString>(files.begin(), files.end()));
    }
    return listing->contains(fileName);
}

bool isBundleFolder(const QString& directory, const QString& resources)
{
    return directory == resources || directory.startsWith(resources + QLatin1Char('/'));
}

QString existing(const QString& directory, const QString& fileName, bool inBundle)
{
    const QString path = directory + QLatin1Char('/') + fileName;
    if (inBundle)
        return bundleFolderHolds(directory, fileName) ? path : QString();
    // Other folders (a test's fixtures) may gain files at any time.
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
    // Where only the bundle's folders are searched the answer cannot
    // change, and the same names are asked for many times (a skin part by
    // every control that shows it): each is searched once.
    const bool onlyBundle = std::all_of(directories.cbegin(), directories.cend(),
                                        [&](const QString& directory) { return isBundleFolder(directory, resources); });
    static QMutex lock;
    static QHash<QString, Files> found;
    const QString key = directories.join(QLatin1Char('\n')) + QLatin1Char('\n') + name;
    if (onlyBundle) {
        QMutexLocker locked(&lock);
        if (const auto known = found.constFind(key); known != found.constEnd())
            return *known;
    }
    static const char* const types[] = {"png", "tiff", "jpg"};
    for (const QString& directory : directories) {
        const bool inBundle = isBundleFolder(directory, resources);
        for (const char* type : types) {
            files.path = existing(directory, name + QLatin1Char('.') + QLatin1String(type), inBundle);
            files.path2x = existing(directory, name + QStringLiteral("@2x.") + QLatin1String(type), inBundle);
            if (!files.isNull())
                break;
        }
        if (!files.isNull())
            break;
    }
    if (onlyBundle) {
        QMutexLocker locked(&lock);
        found.insert(key, files);
    }
    return files;
}

QImage ImageResource::readFile(const QString& path)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QList<QImage> ImageResource::load(const QString& name)
{
    const Files files = find(name);
    QList<QImage> representations;
    QImage single = readFile(files.path);
    if (!single.isNull()) {
        single.setDevicePixelRatio(1.0);
        representations << single;
    }
    QImage twice = readFile(files.path2x);
    if (!twice.isNull()) {
        twice.setDevicePixelRatio(2.0);
        representations << twice;
    }
    return representations;
}

} // namespace platform
