#include "platform/network/HTTPCredentialStorage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace platform;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 0777;
}

class CredentialStorage : public ::testing::Test {
protected:
    QString file() const { return m_dir.path() + "/data/velumo/credentials.json"; }
    QByteArray fileBytes() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    const HTTPProtectionSpace m_server = HTTPProtectionSpace::server("Example.TEST", 443, "https", "Realm");
    const HTTPProtectionSpace m_proxy = HTTPProtectionSpace::proxy("example.test", 443, "Realm");
    const HTTPCredential m_alice { "alice", "pa55 word", "" };
    const HTTPCredential m_bob { "bob", "hunter2", "CORP" };
};

} // namespace

TEST_F(CredentialStorage, SpacesMatchOnEveryPartButHostCase)
{
    HTTPCredentialStorage storage(file());
    storage.setDefaultCredential(m_alice, m_server, HTTPCredentialStorage::Persistence::ForSession);
    EXPECT_EQ(storage.defaultCredential(HTTPProtectionSpace::server("example.test", 443, "HTTPS", "Realm")), m_alice);
    const HTTPProtectionSpace others[] = {
        m_proxy,
        HTTPProtectionSpace::server("example.test", 80, "https", "Realm"),
        HTTPProtectionSpace::server("example.test", 443, "http", "Realm"),
        HTTPProtectionSpace::server("example.test", 443, "https", "realm"),
        HTTPProtectionSpace::server("example.test", 443, "https", "Realm", "Basic"),
        HTTPProtectionSpace::server("other.test", 443, "https", "Realm"),
    };
    for (const auto& space : others)
        EXPECT_FALSE(storage.defaultCredential(space)) << space.host().toStdString() << space.port();

    // One default per space: a later one replaces it.
    storage.setDefaultCredential(m_bob, m_server, HTTPCredentialStorage::Persistence::ForSession);
    EXPECT_EQ(storage.defaultCredential(m_server), m_bob);
    EXPECT_TRUE(storage.removeDefaultCredential(m_server));
    EXPECT_FALSE(storage.removeDefaultCredential(m_server));
    EXPECT_FALSE(storage.defaultCredential(m_server));
}

TEST_F(CredentialStorage, SessionCredentialsNeverReachTheFile)
{
    HTTPCredentialStorage storage(file());
    storage.setDefaultCredential(m_alice, m_server, HTTPCredentialStorage::Persistence::ForSession);
    storage.setDefaultCredential(m_bob, m_proxy, HTTPCredentialStorage::Persistence::Permanent);
    EXPECT_FALSE(fileBytes().contains("pa55 word"));
    EXPECT_TRUE(fileBytes().contains("hunter2"));

    // A permanent credential turned into a session one leaves the file.
    storage.setDefaultCredential(m_bob, m_proxy, HTTPCredentialStorage::Persistence::ForSession);
    EXPECT_FALSE(fileBytes().contains("hunter2"));
    EXPECT_FALSE(HTTPCredentialStorage(file()).defaultCredential(m_proxy));
}

TEST_F(CredentialStorage, PermanentCredentialsLiveInAFileOnlyTheUserReads)
{
    // Even with a permissive umask the file and folder are private from the start.
    const mode_t oldMask = ::umask(0);
    {
        HTTPCredentialStorage storage(file());
        EXPECT_TRUE(storage.setDefaultCredential(m_bob, m_proxy, HTTPCredentialStorage::Persistence::Permanent));
        EXPECT_TRUE(storage.setDefaultCredential(m_alice, m_server, HTTPCredentialStorage::Persistence::Permanent));
    }
    ::umask(oldMask);
    EXPECT_EQ(modeOf(file()), 0600u);
    EXPECT_EQ(modeOf(QFileInfo(file()).absolutePath()), 0700u);
    // Nothing else is left beside it (no temporary copies).
    EXPECT_EQ(QDir(QFileInfo(file()).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList { "credentials.json" });

    // A later process reads them back, domain and all.
    HTTPCredentialStorage later(file());
    EXPECT_EQ(later.defaultCredential(m_proxy), m_bob);
    EXPECT_EQ(later.defaultCredential(m_server), m_alice);
    EXPECT_TRUE(later.removeDefaultCredential(m_proxy));
    EXPECT_FALSE(HTTPCredentialStorage(file()).defaultCredential(m_proxy));
    EXPECT_EQ(HTTPCredentialStorage(file()).defaultCredential(m_server), m_alice);

    // A file someone made readable to others is closed again when read.
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0644), 0);
    EXPECT_TRUE(HTTPCredentialStorage(file()).defaultCredential(m_server));
    EXPECT_EQ(modeOf(file()), 0600u);
}

TEST_F(CredentialStorage, DamagedOrUnwritableFilesFailSafely)
{
    QDir().mkpath(QFileInfo(file()).absolutePath());
    const QByteArray damaged[] = { "", "not json", "{\"host\": 1}", "[1, \"x\", {\"port\": 80}, {\"host\": \"h\"}]" };
    for (const QByteArray& bytes : damaged) {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        EXPECT_FALSE(HTTPCredentialStorage(file()).defaultCredential(m_server)) << bytes.constData();
    }

    // A folder that cannot be made: the credential is kept for the session only.
    QFile blocker(m_dir.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    HTTPCredentialStorage storage(m_dir.path() + "/blocker/sub/credentials.json");
    EXPECT_FALSE(storage.setDefaultCredential(m_alice, m_server, HTTPCredentialStorage::Persistence::Permanent));
    EXPECT_EQ(storage.defaultCredential(m_server), m_alice);
}

TEST_F(CredentialStorage, TheSharedFileIsUnderTheUsersDataFolder)
{
    const QByteArray old = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path()));
    const QString path = HTTPCredentialStorage::defaultFilePath();
    if (old.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", old);
    EXPECT_TRUE(path.startsWith(m_dir.path() + "/")) << path.toStdString();
    EXPECT_TRUE(path.endsWith("/credentials.json"));
}
