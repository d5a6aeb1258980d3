#pragma once

#include <QUrl>

namespace platform {

// A file stored with a cloud record; the record hands out where a local
// copy of it can be read.
class CloudAsset {
public:
    CloudAsset() = default;
    explicit CloudAsset(const QUrl& fileURL)
        : m_fileURL(fileURL)
    {
    }
    QUrl fileURL() const { return m_fileURL; }

private:
    QUrl m_fileURL;
};

} // namespace platform
