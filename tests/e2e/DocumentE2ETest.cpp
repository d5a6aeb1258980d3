#include "E2EHarness.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

namespace {
void setSetting(E2EHarness& h, const QString& key, const QVariant& value)
{
    QDir().mkpath(QFileInfo(h.settingsFile()).absolutePath());
    QSettings settings(h.settingsFile(), QSettings::IniFormat);
    settings.setValue(key, value);
}

QString storedSetting(E2EHarness& h, const QString& key)
{
    QSettings settings(h.settingsFile(), QSettings::IniFormat);
    return settings.value(key).toString();
}

} // namespace

TEST(DocumentE2E, APlainStartOpensOneUntitled400By300PictureAndCountsTheLaunch)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    EXPECT_EQ(h.visibleWindows().size(), 1);
    const QString path = h.workDir() + QStringLiteral("/blank");
    h.typeIntoSavePanel(window, path);
    ASSERT_TRUE(h.waitForFile(path + QStringLiteral(".png"))) << h.standardError().toStdString();
    EXPECT_EQ(h.identify(path + QStringLiteral(".png")), QStringLiteral("PNG 400 300"));
    QImage saved(path + QStringLiteral(".png"));
    EXPECT_EQ(saved.pixelColor(0, 0), QColor(Qt::white));
    h.quitCleanly(window);
    EXPECT_TRUE(h.standardError().contains(QLatin1String("App Build Info:[Velumo - ")));
    EXPECT_EQ(storedSetting(h, QStringLiteral("dadEziCHAppRunCountKey")), QStringLiteral("1"));

    // The next launch counts exactly one more.
    ASSERT_TRUE(h.launch());
    const QString again = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(again.isEmpty());
    h.quitCleanly(again);
    EXPECT_EQ(storedSetting(h, QStringLiteral("dadEziCHAppRunCountKey")), QStringLiteral("2"));
}

TEST(DocumentE2E, APictureNamedOnTheCommandLineOpensAtItsSizeInsteadOfAnUntitledOne)
{
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    const QString picture = h.writeTestPicture(QStringLiteral("picture.png"), QSize(123, 45));
    ASSERT_TRUE(h.launch({picture}));
    const QString window = h.waitForWindow(QStringLiteral("picture.png"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();

    const QString copy = h.workDir() + QStringLiteral("/copy.png");
    h.typeIntoSavePanel(window, copy);
    ASSERT_TRUE(h.waitForFile(copy));
    // Start-up is long over once the save went through: still one window.
    EXPECT_EQ(h.visibleWindows().size(), 1);
    EXPECT_TRUE(h.visibleWindows(QStringLiteral("Untitled")).isEmpty());
    EXPECT_EQ(h.identify(copy), QStringLiteral("PNG 123 45"));
    EXPECT_EQ(QImage(copy).pixelColor(0, 0), QColor(Qt::red));
    h.quitCleanly(window);
}

TEST(DocumentE2E, SaveAsWritesEachOfTheFiveTypes)
{
    struct Case {
        const char* setting;
        const char* extension;
        const char* format;
    } cases[] = {{"PNG", "png", "PNG"}, {"JPEG", "jpg", "JPEG"}, {"BMP", "bmp", "BMP"},
                 {"GIF", "gif", "GIF"}, {"TIFF", "tif", "TIFF"}};
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    const QString picture = h.writeTestPicture(QStringLiteral("source.png"), QSize(64, 48));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        setSetting(h, QStringLiteral("FileType"), QString::fromLatin1(c.setting));
        ASSERT_TRUE(h.launch({picture}));
        const QString window = h.waitForWindow(QStringLiteral("source.png"));
        ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
        const QString base = h.workDir() + QStringLiteral("/out-") + QString::fromLatin1(c.extension);
        h.typeIntoSavePanel(window, base);
        const QString written = base + QLatin1Char('.') + QString::fromLatin1(c.extension);
        ASSERT_TRUE(h.waitForFile(written)) << h.standardError().toStdString();
        const QString info = h.identify(written);
        EXPECT_TRUE(info.startsWith(QString::fromLatin1(c.format))) << info.toStdString();
        EXPECT_TRUE(info.endsWith(QStringLiteral(" 64 48"))) << info.toStdString();
        h.quitCleanly(window);
    }
}

TEST(DocumentE2E, ClosingAnEditedDocumentAsksToSave)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.focus(window);
    h.key(QStringLiteral("ctrl+shift+i")); // invert: the white canvas turns black
    h.key(QStringLiteral("ctrl+w"));
    QString alert = h.waitForWindow(QStringLiteral("^Velumo$"));
    ASSERT_FALSE(alert.isEmpty()) << h.standardError().toStdString();

    // Cancel keeps the document open.
    h.focus(alert);
    h.key(QStringLiteral("Escape"));
    EXPECT_TRUE(h.waitForNoWindow(QStringLiteral("^Velumo$")));
    EXPECT_FALSE(h.visibleWindows(QStringLiteral("Untitled")).isEmpty());

    // Save asks where, writes, and the window closes.
    h.focus(window);
    h.key(QStringLiteral("ctrl+w"));
    alert = h.waitForWindow(QStringLiteral("^Velumo$"));
    ASSERT_FALSE(alert.isEmpty());
    h.focus(alert);
    h.key(QStringLiteral("Return"));
    const QString panel = h.waitForWindow(QStringLiteral("^Save$"));
    ASSERT_FALSE(panel.isEmpty());
    h.focus(panel);
    h.key(QStringLiteral("ctrl+a"));
    const QString path = h.workDir() + QStringLiteral("/edited");
    h.type(path);
    h.key(QStringLiteral("Return"));
    ASSERT_TRUE(h.waitForFile(path + QStringLiteral(".png")));
    EXPECT_EQ(QImage(path + QStringLiteral(".png")).pixelColor(10, 10), QColor(Qt::black));
    // The last document closed: the program ends.
    EXPECT_EQ(h.waitForExit(), 0);
    EXPECT_FALSE(h.stderrHasSanitizerReport()) << h.standardError().toStdString();
}

TEST(DocumentE2E, ACorruptFileOnTheCommandLineIsReportedAndTheProgramStaysUsable)
{
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    const QString corrupt = h.workDir() + QStringLiteral("/corrupt.png");
    {
        QFile file(corrupt);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        static const char bytes[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDRgarbage that is not a picture";
        file.write(bytes, sizeof(bytes) - 1);
    }
    ASSERT_TRUE(h.launch({corrupt}));
    const QString alert = h.waitForWindow(QStringLiteral("^Velumo$"));
    ASSERT_FALSE(alert.isEmpty()) << h.standardError().toStdString();
    const QString window = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(h.visibleWindows(QStringLiteral("corrupt")).isEmpty());
    h.focus(alert);
    h.key(QStringLiteral("Return"));
    EXPECT_TRUE(h.waitForNoWindow(QStringLiteral("^Velumo$")));

    const QString path = h.workDir() + QStringLiteral("/after");
    h.typeIntoSavePanel(window, path);
    ASSERT_TRUE(h.waitForFile(path + QStringLiteral(".png")));
    h.quitCleanly(window);
}

TEST(DocumentE2E, TestModeSwitchPutsTheUpdaterInTestMode)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch({QStringLiteral("-VLCheckUpdatesInTestMode")}));
    const QString window = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.quitCleanly(window);
    EXPECT_TRUE(h.standardError().contains(QLatin1String("Velumo: Detected Check Updates In Test Mode!")));
    EXPECT_TRUE(h.standardError().contains(QLatin1String("checkForUpdates (test mode: YES)")));
}
