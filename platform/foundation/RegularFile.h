#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// Reads files that come from outside the program's control. Only a regular
// file is read: a FIFO, socket or device named in its place is refused
// without blocking (opening a FIFO with no writer would wait forever, a
// device may never end), and so is one larger than the caller's bound.
class RegularFile {
public:
    static std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes);
};

} // namespace platform
