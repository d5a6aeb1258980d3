#pragma once

#include <QString>

namespace platform {

// Why a cloud operation failed.
struct CloudError {
    static QString domain() { return QStringLiteral("CloudDatabaseErrorDomain"); }
    enum Code {
        // The container has no data at all (no folder of records).
        UnknownContainer = 1,
        // A record of the result could not be read.
        UnreadableRecord = 2,
    };

    int code = 0;
    QString description;
};

} // namespace platform
