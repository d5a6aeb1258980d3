#include "HTTPCredentialStorage.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Far more than anyone keeps; a larger file is not ours to read.
constexpr qint64 fileLimit = 4 * 1024 * 1024;

QJsonObject toJson(const HTTPProtectionSpace& space, const HTTPCredential& credential)
{
    return QJsonObject {
        { QStringLiteral("host"), space.host() },
        { QStringLiteral("port"), space.port() },
        { QStringLiteral("protocol"), space.protocol() },
        { QStringLiteral("realm"), space.realm() },
        { QStringLiteral("method"), space.authenticationMethod() },
        { QStringLiteral("proxy"), space.isProxy() },
        { QStringLiteral("user"), credential.user },
        { QStringLiteral("password"), credential.password },
        { QStringLiteral("domain"), credential.domain },
    };
}

std::optional<QPair<HTTPProtectionSpace, HTTPCredential>> fromJson(const QJsonObject& o)
{
    if (!o.value(QStringLiteral("host")).isString() || !o.value(QStringLiteral("user")).isString())
        return std::nullopt;
    const QString host = o.value(QStringLiteral("host")).toString();
    const int port = o.value(QStringLiteral("port")).toInt();
    const QString realm = o.value(QStringLiteral("realm")).toString();
    const QString method = o.value(QStringLiteral("method")).toString(HTTPProtectionSpace::DefaultMethod);
    const HTTPProtectionSpace space = o.value(QStringLiteral("proxy")).toBool()
        ? HTTPProtectionSpace::proxy(host, port, realm, method)
        : HTTPProtectionSpace::server(host, port, o.value(QStringLiteral("protocol")).toString(), realm, method);
    HTTPCredential credential;
    credential.user = o.value(QStringLiteral("user")).toString();
    credential.password = o.value(QStringLiteral("password")).toString();
    credential.domain = o.value(QStringLiteral("domain")).toString();
    return qMakePair(space, credential);
}

std::optional<HTTPCredential> find(const QList<QPair<HTTPProtectionSpace, HTTPCredential>>& list, const HTTPProtectionSpace& space)
{
    for (const auto& entry : list) {
        if (entry.first == space)
            return entry.second;
    }
    return std::nullopt;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

HTTPCredentialStorage& HTTPCredentialStorage::shared()
{
    static HTTPCredentialStorage storage(defaultFilePath());
    return storage;
}

QString HTTPCredentialStorage::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/credentials.json");
}

HTTPCredentialStorage::HTTPCredentialStorage(const QString& filePath)
    : m_filePath(filePath)
{
}

std::optional<HTTPCredential> HTTPCredentialStorage::defaultCredential(const HTTPProtectionSpace& space)
{
    std::lock_guard guard(m_lock);
    loadLocked();
    if (auto credential = find(m_session, space))
        return credential;
    return find(m_permanent, space);
}

bool HTTPCredentialStorage::setDefaultCredential(const HTTPCredential& credential, const HTTPProtectionSpace& space,
    Persistence persistence)
{
    std::lock_guard guard(m_lock);
    loadLocked();
    removeFrom(m_session, space);
    const bool wasPermanent = removeFrom(m_permanent, space);
    if (persistence == Persistence::ForSession) {
        m_session.append({ space, credential });
        return !wasPermanent || writeLocked();
    }
    m_permanent.append({ space, credential });
    if (writeLocked())
        return true;
    m_permanent.removeLast();
    m_session.append({ space, credential });
    return false;
}

bool HTTPCredentialStorage::removeDefaultCredential(const HTTPProtectionSpace& space)
{
    std::lock_guard guard(m_lock);
    loadLocked();
    const bool fromSession = removeFrom(m_session, space);
    const bool fromFile = removeFrom(m_permanent, space);
    if (fromFile)
        writeLocked();
    return fromSession || fromFile;
}

bool HTTPCredentialStorage::removeFrom(QList<Entry>& list, const HTTPProtectionSpace& space)
{
    return list.removeIf([&](const Entry& e) { return e.first == space; }) > 0;
}

void HTTPCredentialStorage::loadLocked()
{
    if (m_loaded)
        return;
    m_loaded = true;
    const QByteArray path = QFile::encodeName(m_filePath);
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    // A file that is not the user's own, or not a plain file, is not read.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_size > fileLimit) {
        ::close(fd);
        return;
    }
    // Someone widened its mode: close it again before reading.
    if ((st.st_mode & 0077) != 0)
        ::fchmod(fd, 0600);
    QByteArray bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || bytes.size() + n > fileLimit)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    const QJsonArray entries = QJsonDocument::fromJson(bytes).array();
    for (const QJsonValue& value : entries) {
        if (const auto entry = fromJson(value.toObject()))
            m_permanent.append(*entry);
    }
}

bool HTTPCredentialStorage::writeLocked() const
{
    const QFileInfo info(m_filePath);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    ::chmod(QFile::encodeName(folder).constData(), 0700);

    QJsonArray entries;
    for (const Entry& entry : m_permanent)
        entries.append(toJson(entry.first, entry.second));
    const QByteArray bytes = QJsonDocument(entries).toJson(QJsonDocument::Compact);

    // The temporary file is made with mode 0600 (mkstemp's own), so the
    // credentials are never readable by others, not even for a moment; the
    // rename then replaces the old file whole.
    QByteArray temporary = QFile::encodeName(m_filePath) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temporary.constData(), QFile::encodeName(m_filePath).constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

} // namespace platform
