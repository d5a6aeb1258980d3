#include "URLExtension.h"

#include "PathExtension.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace URLExtension {

namespace {

std::optional<QUrl> parsedURL(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

QString pathText(const QUrl& url)
{
    return url.path(QUrl::FullyDecoded);
}

bool hasDirectoryPath(const QUrl& url)
{
    return pathText(url).endsWith(QLatin1Char('/'));
}

QUrl fileURL(const QUrl& url, bool directory)
{
    QString path = PathExtension::my_standardizingPath(url.toLocalFile());
    if (path.isEmpty())
        path = QStringLiteral("/");
    path = directory ? PathExtension::appendingAsDirectory(path) : path;
    return QUrl::fromLocalFile(path);
}

} // namespace

bool isFileNodeAndExisted(const QUrl& url)
{
    if (!url.isLocalFile())
        return false;
    struct stat info {};
    return ::stat(QFile::encodeName(url.toLocalFile()).constData(), &info) == 0;
}

bool isDirectory(const QUrl& url)
{
    if (!url.isLocalFile())
        return false;
    struct stat info {};
    if (::lstat(QFile::encodeName(url.toLocalFile()).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode);
}

QUrl appendingAsDirectoryURL(const QUrl& url)
{
    return url.isLocalFile() ? fileURL(url, true) : url;
}

QUrl removingAsRegularFileURL(const QUrl& url)
{
    return url.isLocalFile() ? fileURL(url, false) : url;
}

QString standardizingPath(const QUrl& url)
{
    QString path = PathExtension::my_standardizingPath(pathText(url));
    if (path.isEmpty())
        path = QStringLiteral("/");
    if (hasDirectoryPath(url) && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QUrl makeURL(const QUrl& url, const QUrl& relativeTo)
{
    if (url.scheme() != relativeTo.scheme() || url.host() != relativeTo.host())
        return url;
    if (!url.isValid() || pathText(url).isEmpty())
        return url;

    const QString relative = PathExtension::relativePath(standardizingPath(url), standardizingPath(relativeTo));
    // The path goes in encoded: a decoded "?", "#" or ":" would change what
    // the text means.
    QString text = QString::fromLatin1(QUrl::toPercentEncoding(relative, "/!$&'()*+,;=@"));
    if (url.hasQuery())
        text += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    if (url.hasFragment())
        text += QLatin1Char('#') + url.fragment(QUrl::FullyEncoded);
    return parsedURL(text).value_or(url);
}

std::optional<QUrl> adoptingURL(const QUrl& url, const QUrl& from, const QUrl& to)
{
    const QUrl relative = makeURL(url, from);
    const auto reparsed = parsedURL(relative.toString(QUrl::FullyEncoded));
    if (!reparsed)
        return std::nullopt;
    return to.resolved(*reparsed);
}

bool contains(const QUrl& url, const QUrl& other)
{
    if (url.scheme() != other.scheme())
        return false;
    return standardizingPath(other).startsWith(standardizingPath(url));
}

std::optional<QUrl> relativeURL(const QUrl& url, const QString& string, const std::optional<QString>& rootPath)
{
    if (rootPath && string.startsWith(QLatin1Char('/')) && rootPath->startsWith(QLatin1Char('/'))) {
        const auto root = urlWithPath(url, *rootPath);
        if (!root)
            return std::nullopt;
        const auto relative = parsedURL(string.mid(1));
        if (!relative)
            return std::nullopt;
        return root->resolved(*relative);
    }
    const auto relative = parsedURL(string);
    if (!relative)
        return std::nullopt;
    return url.resolved(*relative);
}

std::optional<QUrl> urlWithPath(const QUrl& url, const QString& path)
{
    if (!url.isValid())
        return std::nullopt;
    QUrl result = url;
    result.setPath(path);
    if (!result.isValid())
        return std::nullopt;
    return result;
}

} // namespace URLExtension
