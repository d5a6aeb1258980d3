#pragma once

#include <QUrl>

#include <system_error>

namespace FileManagerExtension {

// Makes the directory a file URL names, with every missing folder above it,
// unless the item is already reachable (even as a regular file). The
// platform's error comes back instead of being thrown; an empty error code
// means success. A URL that is not a file URL gives invalid_argument.
std::error_code createDirectoryIfNeeded(const QUrl& url);

} // namespace FileManagerExtension
