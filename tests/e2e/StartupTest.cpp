#include "E2EHarness.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(Startup, OpensOneWindowAndQuitsOnCtrlQ)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow();
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    EXPECT_EQ(h.visibleWindows().size(), 1);
    h.focus(window);
    h.key(QStringLiteral("ctrl+q"));
    EXPECT_EQ(h.waitForExit(), 0);
    EXPECT_FALSE(h.stderrHasSanitizerReport()) << h.standardError().toStdString();
    EXPECT_TRUE(h.standardError().contains(QLatin1String("App Build Info:[Velumo - ")));

    // Registered defaults live in memory only.
    QFile settings(h.settingsFile());
    if (settings.open(QIODevice::ReadOnly)) {
        const QByteArray text = settings.readAll();
        for (const char* key : {"HorizontalSize", "VerticalSize", "UndoLevels", "FileType", "AllowAntialias"})
            EXPECT_FALSE(text.contains(key)) << key;
    }
}

TEST(Startup, RunsFromAnInstallPrefix)
{
    E2EHarness h;
    const QString prefix = h.workDir() + "/prefix";
    int code = -1;
    h.run("cmake", {"--install", E2EHarness::buildDir(), "--prefix", prefix}, 120000, &code);
    ASSERT_EQ(code, 0);
    ASSERT_TRUE(QFile::exists(prefix + "/bin/velumo"));
    ASSERT_TRUE(QFile::exists(prefix + "/lib/libVTRFoundation.so"));
    ASSERT_TRUE(h.launch({}, prefix + "/bin/velumo"));
    const QString window = h.waitForWindow();
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.focus(window);
    h.key("ctrl+q");
    EXPECT_EQ(h.waitForExit(), 0);
    EXPECT_FALSE(h.stderrHasSanitizerReport()) << h.standardError().toStdString();
}
