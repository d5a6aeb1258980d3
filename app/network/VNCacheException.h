#pragma once

#include <QString>

#include <stdexcept>

// A folder of the download cache that cannot be made, listed or emptied.
// The name says which ("FileExistsAtCachePath", "FailedToCreateCacheDirectory",
// "FailedToTraverseCacheDirectory", "FailedToRemoveCacheFile").
class VNCacheException : public std::runtime_error {
public:
    VNCacheException(const QString& name, const QString& reason);
    const QString& name() const { return name_; }
    const QString& reason() const { return reason_; }

private:
    QString name_;
    QString reason_;
};
