#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// File and web URLs. A URL is a directory URL when its path ends with "/".
namespace URLExtension {

// A file URL whose item is reachable. Any error counts as false.
bool isFileNodeAndExisted(const QUrl& url);
// Whether the item is a directory (a symbolic link is not); false when that
// cannot be read.
bool isDirectory(const QUrl& url);
// A file URL of the standardised path, marked as a directory or as a regular
// file; other URLs come back unchanged.
QUrl appendingAsDirectoryURL(const QUrl& url);
QUrl removingAsRegularFileURL(const QUrl& url);

// The URL's path, standardised; the root for an empty result, and with a
// trailing "/" when the URL is a directory URL.
QString standardizingPath(const QUrl& url);

// The URL as a reference relative to the base: its path relative to the base
// path, followed by its query and fragment. base.resolved(result) names the
// URL again. A URL of another scheme or host, or one that cannot be made
// relative, comes back unchanged.
QUrl makeURL(const QUrl& url, const QUrl& relativeTo);
// The URL moved from one base to another (resolved against the new base);
// nothing when the relative text does not form a URL.
std::optional<QUrl> adoptingURL(const QUrl& url, const QUrl& from, const QUrl& to);
// Whether the other URL lies inside this one: same scheme, and its
// standardised path begins with this one's. The host is not compared.
bool contains(const QUrl& url, const QUrl& other);
// The text resolved against this URL, or, when a root path is given and both
// begin with "/", against this URL's server at the root path.
std::optional<QUrl> relativeURL(const QUrl& url, const QString& string,
                                const std::optional<QString>& rootPath = std::nullopt);
// This URL with its path replaced; nothing when they do not form a URL.
std::optional<QUrl> urlWithPath(const QUrl& url, const QString& path);

} // namespace URLExtension
