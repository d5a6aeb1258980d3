#include "FileManagerExtension.h"

#include "URLExtension.h"

#include <QFile>

#include <filesystem>

namespace FileManagerExtension {

std::error_code createDirectoryIfNeeded(const QUrl& url)
{
    if (URLExtension::isFileNodeAndExisted(url))
        return {};
    if (!url.isLocalFile())
        return std::make_error_code(std::errc::invalid_argument);
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(url.toLocalFile()).toStdString());
    std::filesystem::create_directories(path, error);
    return error;
}

} // namespace FileManagerExtension
