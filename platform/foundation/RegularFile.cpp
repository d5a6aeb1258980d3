#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::optional<QByteArray> RegularFile::readAll(const QString& path, qint64 maxBytes)
{
    if (path.isEmpty() || maxBytes < 0)
        return std::nullopt;
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO does not hold the open; the kind is
    // judged on what was opened, not on a name that may change meanwhile.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<QByteArray> result;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= maxBytes) {
        QByteArray bytes;
        bytes.reserve(qsizetype(info.st_size));
        char buffer[65536];
        bool failed = false;
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                failed = true;
                break;
            }
            if (got == 0)
                break;
            // The file may grow while it is read: the bound still holds.
            if (bytes.size() + got > maxBytes) {
                failed = true;
                break;
            }
            bytes.append(buffer, qsizetype(got));
        }
        if (!failed)
            result = std::move(bytes);
    }
    ::close(fd);
    return result;
}

} // namespace platform
