#include "ImageResource.h"

#include "ImageAtlas.h"
#include "platform/foundation/Bundle.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QStringList>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <iterator>

namespace platform {

namespace {
QStringList& extraDirectories()
{
    static QStringList directories;
    return directories;
}

const char* const kTypes[] = {"png", "tiff", "jpg"}; // in the order they are preferred

// What find() answers in one of the bundle's folders, for every name it
// holds. Those folders do not change while the program runs, so each is
// listed and indexed once: a window's set-up looks up hundreds of names,
// and trying every type and resolution of each, even against a listing,
// made up a good part of start-up.
using FolderIndex = QHash<QString, ImageResource::Files>;

// The names of the files in a folder (hidden ones too; links that lead to a
// file count as files), unsorted. Read straight from the folder's entries,
// which tell most files' type: a listing that made an information object
// of every entry was most of an index's cost.
QStringList filesIn(const QString& directory)
{
    QStringList files;
    const QByteArray path = QFile::encodeName(directory);
    DIR* folder = ::opendir(path.constData());
    if (!folder)
        return files;
    // A folder of the bundle holds a few hundred images; the bound only
    // keeps a runaway folder from filling memory.
    constexpr qsizetype kMaxEntries = 100000;
    while (const dirent* entry = ::readdir(folder)) {
        if (files.size() >= kMaxEntries)
            break;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info;
            const QByteArray full = path + '/' + entry->d_name;
            isFile = ::stat(full.constData(), &info) == 0 && S_ISREG(info.st_mode);
        }
        if (isFile)
            files << QFile::decodeName(entry->d_name);
    }
    ::closedir(folder);
    return files;
}

FolderIndex indexFolder(const QString& directory)
{
    // For each file name without its type: which types it has at one and
    // at two pixels per point ("name@2x.type" is the second resolution of
    // "name", and itself the first of "name@2x").
    struct Types {
        QString path[std::size(kTypes)];
        QString path2x[std::size(kTypes)];
    };
    QHash<QString, Types> names;
    const QString prefix = directory + QLatin1Char('/');
    for (const QString& file : filesIn(directory)) {
        const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
        if (dot <= 0)
            continue;
        const QStringView type = QStringView(file).mid(dot + 1);
        const auto known = std::find_if(std::begin(kTypes), std::end(kTypes),
                                        [&](const char* t) { return type == QLatin1String(t); });
        if (known == std::end(kTypes))
            continue;
        const auto t = std::size_t(known - std::begin(kTypes));
        const QString stem = file.left(dot);
        names[stem].path[t] = prefix + file;
        if (stem.size() > 3 && stem.endsWith(QLatin1String("@2x")))
            names[stem.chopped(3)].path2x[t] = prefix + file;
    }
    FolderIndex index;
    for (auto name = names.cbegin(); name != names.cend(); ++name) {
        for (std::size_t t = 0; t < std::size(kTypes); ++t) {
            if (!name->path[t].isEmpty() || !name->path2x[t].isEmpty()) {
                index.insert(name.key(), {name->path[t], name->path2x[t]});
                break;
            }
        }
    }
    return index;
}

ImageResource::Files filesInBundleFolder(const QString& directory, const QString& name)
{
    static QMutex lock;
    static QHash<QString, FolderIndex> indexes;
    QMutexLocker locked(&lock);
    auto index = indexes.constFind(directory);
    if (index == indexes.constEnd())
        index = indexes.insert(directory, indexFolder(directory));
    return index->value(name);
}

bool isBundleFolder(const QString& directory, const QString& resources)
{
    return directory == resources || directory.startsWith(resources + QLatin1Char('/'));
}

// Other folders (a test's fixtures) may gain files at any time: they are
// asked each time.
QString existing(const QString& directory, const QString& fileName)
{
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
    for (const QString& directory : directories) {
        if (isBundleFolder(directory, resources)) {
            files = filesInBundleFolder(directory, name);
        } else {
            for (const char* type : kTypes) {
                files.path = existing(directory, name + QLatin1Char('.') + QLatin1String(type));
                files.path2x = existing(directory, name + QStringLiteral("@2x.") + QLatin1String(type));
                if (!files.isNull())
                    break;
            }
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
    // The images the build draws come decoded in the bundle's atlas.
    const QString resources = Bundle::resourceDirectory();
    if (path.size() > resources.size() + 1 && path.startsWith(resources) &&
        path.at(resources.size()) == QLatin1Char('/')) {
        QImage image = ImageAtlas::inFolder(resources).image(path.mid(resources.size() + 1));
        if (!image.isNull())
            return image;
    }
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
