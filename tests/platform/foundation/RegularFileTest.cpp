#include "platform/foundation/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(RegularFile, ReadsOnlyRegularFilesWithinTheBound)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString plain = folder.filePath(QStringLiteral("plain.txt"));
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("twelve bytes");
    }
    const QString fifo = folder.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zeroLink = folder.filePath(QStringLiteral("zero"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zeroLink));
    const QString plainLink = folder.filePath(QStringLiteral("plain-link"));
    ASSERT_TRUE(QFile::link(plain, plainLink));

    const struct {
        QString path;
        qint64 bound;
        std::optional<QByteArray> expected;
    } cases[] = {
        {plain, 12, QByteArray("twelve bytes")},
        {plainLink, 100, QByteArray("twelve bytes")}, // a link to a regular file is one
        {plain, 11, std::nullopt},                    // one byte over
        {fifo, 100, std::nullopt},                    // would block in open()
        {zeroLink, 100, std::nullopt},                // a device that never ends
        {QStringLiteral("/dev/zero"), 100, std::nullopt},
        {folder.path(), 100, std::nullopt},           // a folder
        {folder.filePath(QStringLiteral("missing")), 100, std::nullopt},
        {QString(), 100, std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path.toStdString());
        EXPECT_EQ(platform::RegularFile::readAll(row.path, row.bound), row.expected);
    }
}
