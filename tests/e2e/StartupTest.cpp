#include "E2EHarness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <gtest/gtest.h>

namespace {
// What the running program has mapped into its memory (/proc/PID/maps).
QByteArray mappedFiles(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return pid > 0 && maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}

// The web engine's libraries (ours and the toolkit's), and the OpenGL
// driver that the engine sets up.
const char* const kWebEngineFiles[] = {"libVelumoWebEngine.so", "libQt6WebEngineCore.so", "libQt6WebEngineWidgets.so"};
const char* const kOpenGLDriverFiles[] = {"_dri.so", "libgallium", "libLLVM"};
// The engine for proxy auto-configuration scripts and its libraries load
// with the first script, which a run without such a proxy never has.
const char* const kScriptEngineFiles[] = {"libVelumoPACScript.so", "libQt6Qml.so"};
// Libraries of features that a fresh window does not use: TLS, digests for
// HTTP authentication, GIF writing, XML, printing. Each loads with the
// feature's first use.
const char* const kLaterFeatureFiles[] = {"libssl.so",  "libcrypto.so", "libnettle.so",          "libgif.so",
                                          "libxml2.so", "libQt6PrintSupport.so", "libVelumoPrinting.so"};
// The cookie module and the toolkit's network library under it, with the
// proxy resolver and Kerberos libraries that one brings: they load with the
// first cookie a server sets.
const char* const kCookieFiles[] = {"libVelumoCookies.so", "libQt6Network.so", "libproxy.so", "libgssapi_krb5.so",
                                    "libkrb5.so",          "libk5crypto.so"};
} // namespace

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

TEST(Startup, NeitherTheWebEngineNorOpenGLLoadsBeforeAPageShows)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow();
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    // The window's controls are up too (the accessibility tree answers).
    ASSERT_TRUE(h.findControl(E2EHarness::kCanvasName, window).found);
    const QByteArray started = mappedFiles(h.processId());
    ASSERT_FALSE(started.isEmpty());
    for (const char* file : kWebEngineFiles)
        EXPECT_FALSE(started.contains(file)) << file;
    for (const char* file : kOpenGLDriverFiles)
        EXPECT_FALSE(started.contains(file)) << file;
    for (const char* file : kScriptEngineFiles)
        EXPECT_FALSE(started.contains(file)) << file;
    h.quitCleanly(window);

    // The same look finds the engine once a page shows: a program of the
    // tests that shows one.
    E2EHarness page;
    ASSERT_TRUE(page.launch({QStringLiteral("--web-view")}, QStringLiteral(VELUMO_PROMO_PROBE)));
    ASSERT_TRUE(page.waitForFile(page.workDir() + QStringLiteral("/ready.txt"))) << page.standardError().toStdString();
    const QByteArray shown = mappedFiles(page.processId());
    for (const char* file : kWebEngineFiles)
        EXPECT_TRUE(shown.contains(file)) << file;
}

TEST(Startup, LibrariesOfLaterFeaturesLoadWithTheirFirstUse)
{
    E2EHarness h;
    // GIF as the type new pictures are saved as, so that a plain Save As
    // writes one.
    QDir().mkpath(QFileInfo(h.settingsFile()).absolutePath());
    QSettings(h.settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("FileType"), QStringLiteral("GIF"));
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow();
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    ASSERT_TRUE(h.findControl(E2EHarness::kCanvasName, window).found);
    const QByteArray started = mappedFiles(h.processId());
    ASSERT_TRUE(started.contains("libQt6Widgets.so")); // the look sees what is there
    for (const char* file : kLaterFeatureFiles)
        EXPECT_FALSE(started.contains(file)) << file;
    for (const char* file : kCookieFiles)
        EXPECT_FALSE(started.contains(file)) << file;

    // Writing a GIF loads the GIF library, and the file it writes is one.
    const QString written = h.saveAs(window, h.workDir() + QStringLiteral("/first"), QStringLiteral("gif"));
    ASSERT_FALSE(written.isEmpty()) << h.standardError().toStdString();
    EXPECT_TRUE(h.identify(written).startsWith(QStringLiteral("GIF "))) << h.identify(written).toStdString();
    EXPECT_TRUE(mappedFiles(h.processId()).contains("libgif.so"));
    h.quitCleanly(window);
    EXPECT_FALSE(h.stderrHasSanitizerReport()) << h.standardError().toStdString();
}

TEST(Startup, ImageReadersLoadWithTheFirstPictureNotWithTheFirstLook)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow();
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    ASSERT_TRUE(h.findControl(E2EHarness::kCanvasName, window).found);
    // Made main and given a key, the window asks the (empty) clipboard
    // whether a picture can be pasted; the tree answers after that.
    h.focus(window);
    h.key(QStringLiteral("shift"));
    ASSERT_TRUE(h.findControl(QStringLiteral("Copy"), window).found);
    EXPECT_FALSE(mappedFiles(h.processId()).contains("/imageformats/"));

    // The same look finds a reader once a picture is copied: it goes to
    // the clipboard as TIFF too.
    h.key(QStringLiteral("ctrl+a"));
    h.key(QStringLiteral("ctrl+c"));
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return mappedFiles(h.processId()).contains("/imageformats/libqtiff"); }));
    // Selecting all counts as an edit: the program asks, "Don't Save".
    h.focus(window);
    h.key(QStringLiteral("ctrl+q"));
    const QString alert = h.waitForWindow(QStringLiteral("^Velumo$"));
    ASSERT_FALSE(alert.isEmpty()) << h.standardError().toStdString();
    h.focus(alert);
    h.key(QStringLiteral("ctrl+d"));
    EXPECT_EQ(h.waitForExit(), 0);
    EXPECT_FALSE(h.stderrHasSanitizerReport()) << h.standardError().toStdString();
}

// A picture opens with the one image reader its kind needs, or with none
// where the toolkit reads the kind itself (PNG): a reader left to recognise
// the data asks every image format plug-in, which loads them all.
TEST(Startup, APictureLoadsOnlyTheReaderOfItsKind)
{
    E2EHarness h;
    const QString png = h.writeTestPicture(QStringLiteral("shown.png"), QSize(64, 48));
    const QString jpeg = h.workDir() + QStringLiteral("/shown.jpg");
    ASSERT_TRUE(QImage(png).save(jpeg, "JPEG"));
    const struct {
        QString file;
        const char* reader; // the one plug-in expected, or none
    } cases[] = {{png, nullptr}, {jpeg, "/imageformats/libqjpeg.so"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ASSERT_TRUE(h.launch({c.file}));
        const QString window = h.waitForWindow(QFileInfo(c.file).fileName());
        ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
        EXPECT_EQ(h.canvasExtents(window).size(), QSize(64, 48));
        const QList<QByteArray> readers = [&] {
            QList<QByteArray> found;
            for (const QByteArray& line : mappedFiles(h.processId()).split('\n')) {
                const qsizetype at = line.indexOf("/imageformats/");
                if (at >= 0 && !found.contains(line.mid(at)))
                    found << line.mid(at);
            }
            return found;
        }();
        EXPECT_EQ(readers.join(' ').toStdString(), c.reader ? c.reader : "");
        h.quitCleanly(window);
    }
}
