#pragma once

#include "HTTPCredential.h"
#include "HTTPProtectionSpace.h"

#include <QList>
#include <QPair>
#include <QString>

#include <mutex>
#include <optional>

namespace platform {

// Credentials kept by protection space, one default credential per space.
// Session credentials live in memory until the process ends. Permanent
// ones are also written to one file that only the user can read (mode
// 0600 from the moment it exists, in a folder of mode 0700); there is no
// system keychain, and they are written nowhere else. Safe from any
// thread.
class HTTPCredentialStorage {
public:
    enum class Persistence { ForSession, Permanent };

    // The process's storage, with its file under the user's data folder.
    static HTTPCredentialStorage& shared();
    static QString defaultFilePath();
    explicit HTTPCredentialStorage(const QString& filePath);

    QString filePath() const { return m_filePath; }

    std::optional<HTTPCredential> defaultCredential(const HTTPProtectionSpace& space);
    // Answers false when a permanent credential could not be written (it
    // is then kept for the session only).
    bool setDefaultCredential(const HTTPCredential& credential, const HTTPProtectionSpace& space, Persistence persistence);
    // Answers whether the space had a credential.
    bool removeDefaultCredential(const HTTPProtectionSpace& space);

private:
    using Entry = QPair<HTTPProtectionSpace, HTTPCredential>;

    void loadLocked();
    bool writeLocked() const;
    static bool removeFrom(QList<Entry>& list, const HTTPProtectionSpace& space);

    const QString m_filePath;
    std::mutex m_lock;
    bool m_loaded = false;
    QList<Entry> m_session;
    QList<Entry> m_permanent;
};

} // namespace platform
