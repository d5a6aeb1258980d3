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
    // Most names tried are not there: the path is made only for a file
    // that is.
    if (inBundle)
        return bundleFolderHolds(directory, fileName) ? directory + QLatin1Char('/') + fileName : QString();
    // Other folders (a test's fixtures) may gain files at any time.
    const QString path = directory + QLatin1Char('/') + fileName;
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
    // Where only the bundle's folders are searched the answer cannot
    // change, and the same names are asked for many times (a skin part by
    // every control that shows it): each is searched once. The answers
    // hold while the folders searched stay the same (folders are only ever
    // added), so a known name costs one look-up and no new text.
    static QMutex lock;
    static QString answeredResources;
    static qsizetype answeredExtraCount = -1;
    static bool onlyBundle = false;
    static QHash<QString, Files> found;
    bool answersKept = false;
    {
        QMutexLocker locked(&lock);
        if (answeredExtraCount != extraDirectories().size() || answeredResources != resources) {
            found.clear();
            answeredResources = resources;
            answeredExtraCount = extraDirectories().size();
            onlyBundle = std::all_of(extraDirectories().cbegin(), extraDirectories().cend(),
                                     [&](const QString& directory) { return isBundleFolder(directory, resources); });
        }
        answersKept = onlyBundle;
        if (answersKept) {
            if (const auto known = found.constFind(name); known != found.constEnd())
                return *known;
        }
    }
    QStringList directories = extraDirectories();
    directories << resources << resources + QStringLiteral("/skins");
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
    if (answersKept) {
        QMutexLocker locked(&lock);
        // Folders added meanwhile make the answer stale: it is not kept.
        if (answeredExtraCount == extraDirectories().size() && answeredResources == resources)
            found.insert(name, files);
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

QList<QImage> ImageResource::load(const QString& name, double devicePixelRatio)
{
    const Files files = find(name);
    const bool twice = devicePixelRatio > 1.0;
    // The resolution that suits the screen, else the other one (an image
    // may have only one, or one that does not decode).
    const struct {
        const QString& path;
        double ratio;
    } tries[] = {{twice ? files.path2x : files.path, twice ? 2.0 : 1.0},
                 {twice ? files.path : files.path2x, twice ? 1.0 : 2.0}};
    for (const auto& attempt : tries) {
        QImage image = readFile(attempt.path);
        if (!image.isNull()) {
            image.setDevicePixelRatio(attempt.ratio);
            return {image};
        }
    }
    return {};
}

} // namespace platform
