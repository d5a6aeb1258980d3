#include "platform/foundation/Bundle.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QStringList runGenerator(const QString& outDir)
{
    QProcess generator;
    generator.start(QStringLiteral(VELUMO_SKIN_GENERATOR), {outDir});
    if (!generator.waitForFinished(120000) || generator.exitStatus() != QProcess::NormalExit
        || generator.exitCode() != 0)
        return {};
    QFile list(outDir + "/skins.list");
    if (!list.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(list.readAll()).split('\n', Qt::SkipEmptyParts);
}

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(SkinImageGenerator, WritesTheSameDecodableImagesOnEveryRunAndTheBuildShipsThem)
{
    QTemporaryDir first;
    QTemporaryDir second;
    const QStringList files = runGenerator(first.path());
    ASSERT_FALSE(files.isEmpty());
    EXPECT_EQ(runGenerator(second.path()), files);
    const QString shipped = platform::Bundle::resourceDirectory() + "/skins";
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray written = bytes(first.path() + "/" + file);
        ASSERT_FALSE(written.isEmpty());
        EXPECT_EQ(written, bytes(second.path() + "/" + file));
        EXPECT_EQ(written, bytes(shipped + "/" + file));
        QImage image;
        ASSERT_TRUE(image.loadFromData(written, "PNG"));
        // Each @2x image is twice its plain sibling.
        if (file.endsWith("@2x.png")) {
            const QImage plain(first.path() + "/" + QString(file).replace("@2x.png", ".png"));
            EXPECT_EQ(image.size(), plain.size() * 2);
        }
    }
    // Nothing beyond the listed files.
    EXPECT_EQ(QDir(first.path()).entryList(QDir::Files).size(), files.size() + 1);
}
