#include "E2EHarness.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

TEST(SheetsE2E, DraggingTheCornerKnobShowsTheSizeAndResizesInOneUndoStep)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.focus(window);
    const QRect canvas = h.canvasExtents(window);
    ASSERT_EQ(canvas.size(), QSize(400, 300));

    // The corner knob's centre is 3 pixels beyond both edges; the new edge
    // lands 3 pixels short of where the mouse lets go.
    const QPoint knob = canvas.topLeft() + QPoint(403, 303);
    const QPoint target = canvas.topLeft() + QPoint(503, 353);
    h.mouseMove(knob.x(), knob.y());
    h.mouseDown(1);
    for (int i = 1; i <= 10; ++i)
        h.mouseMove(knob.x() + (target.x() - knob.x()) * i / 10, knob.y() + (target.y() - knob.y()) * i / 10);
    QStringList huds;
    EXPECT_TRUE(E2EHarness::waitUntil([&] {
        huds = h.visibleWindows(QStringLiteral("^500 x 350 pixels$"));
        return !huds.isEmpty();
    })) << h.visibleWindows(QStringLiteral("pixels$")).join(QLatin1Char(' ')).toStdString();
    ASSERT_EQ(h.visibleWindows(QStringLiteral("pixels$")).size(), 1) << h.standardError().toStdString();
    EXPECT_EQ(h.windowName(huds.value(0)), QStringLiteral("500 x 350 pixels"));
    // It floats beside the mouse: below and to the right of it.
    const QRect hud = h.windowGeometry(huds.first());
    EXPECT_NEAR(hud.left(), target.x() + 20, 2);
    EXPECT_NEAR(hud.top() + hud.height(), target.y() + 35, 2);
    h.mouseUp(1);
    EXPECT_TRUE(h.waitForNoWindow(QStringLiteral("pixels$")));

    const QString resized = h.saveAs(window, h.workDir() + QStringLiteral("/resized"));
    ASSERT_FALSE(resized.isEmpty()) << h.standardError().toStdString();
    EXPECT_EQ(h.identify(resized), QStringLiteral("PNG 500 350"));

    // One undo brings the old size back.
    h.focus(window);
    h.key(QStringLiteral("ctrl+z"));
    const QString undone = h.saveAs(window, h.workDir() + QStringLiteral("/undone"));
    ASSERT_FALSE(undone.isEmpty());
    EXPECT_EQ(h.identify(undone), QStringLiteral("PNG 400 300"));
    h.quitCleanly(window);
}

TEST(SheetsE2E, NewAsksForTheSizeAndMakesAPictureOfTheChosenPreset)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString first = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(first.isEmpty()) << h.standardError().toStdString();
    h.focus(first);
    h.key(QStringLiteral("ctrl+n"));
    const QString sheet = h.waitForWindow(QStringLiteral("^Picture Size$"));
    ASSERT_FALSE(sheet.isEmpty()) << h.standardError().toStdString();
    const QString second = h.waitForWindow(QStringLiteral("Untitled 2"));
    ASSERT_FALSE(second.isEmpty());
    // The pop-up opens on 640 x 480 (the settings' size); the next preset
    // is 800 x 600.
    h.focus(sheet);
    h.key(QStringLiteral("Tab"));
    h.key(QStringLiteral("Tab"));
    h.key(QStringLiteral("Down"));
    h.key(QStringLiteral("Return"));
    ASSERT_TRUE(h.waitForNoWindow(QStringLiteral("^Picture Size$")));

    const QString saved = h.saveAs(second, h.workDir() + QStringLiteral("/preset"));
    ASSERT_FALSE(saved.isEmpty()) << h.standardError().toStdString();
    EXPECT_EQ(h.identify(saved), QStringLiteral("PNG 800 600"));
    EXPECT_EQ(QImage(saved).pixelColor(799, 599), QColor(Qt::white));
    h.quitCleanly(second);
    // The chosen size is what the next sheet offers.
    QSettings settings(h.settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("HorizontalSize")).toInt(), 800);
    EXPECT_EQ(settings.value(QStringLiteral("VerticalSize")).toInt(), 600);
}

TEST(SheetsE2E, ResizeAtFiftyPercentTurns641By481Into320By240)
{
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    const QString picture = h.writeTestPicture(QStringLiteral("odd.png"), QSize(641, 481));
    ASSERT_TRUE(h.launch({picture}));
    const QString window = h.waitForWindow(QStringLiteral("odd.png"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.focus(window);
    h.key(QStringLiteral("ctrl+e"));
    const QString sheet = h.waitForWindow(QStringLiteral("^Resize$"));
    ASSERT_FALSE(sheet.isEmpty()) << h.standardError().toStdString();
    h.focus(sheet);
    h.key(QStringLiteral("ctrl+a"));
    h.type(QStringLiteral("50"));
    h.key(QStringLiteral("Tab"));
    h.key(QStringLiteral("ctrl+a"));
    h.type(QStringLiteral("50"));
    h.key(QStringLiteral("Return"));
    ASSERT_TRUE(h.waitForNoWindow(QStringLiteral("^Resize$")));

    const QString saved = h.saveAs(window, h.workDir() + QStringLiteral("/half"));
    ASSERT_FALSE(saved.isEmpty()) << h.standardError().toStdString();
    EXPECT_EQ(h.identify(saved), QStringLiteral("PNG 320 240"));
    EXPECT_EQ(QImage(saved).pixelColor(160, 120), QColor(20, 120, 220));
    h.quitCleanly(window);
}

TEST(SheetsE2E, PreferencesSetTheFileTypeAntiAliasingAndAnUndoLimitForEveryDocument)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString first = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(first.isEmpty()) << h.standardError().toStdString();
    h.focus(first);
    h.key(QStringLiteral("ctrl+n"));
    const QString sheet = h.waitForWindow(QStringLiteral("^Picture Size$"));
    ASSERT_FALSE(sheet.isEmpty());
    h.focus(sheet);
    h.key(QStringLiteral("Return")); // 640 x 480
    ASSERT_TRUE(h.waitForNoWindow(QStringLiteral("^Picture Size$")));
    const QString second = h.waitForWindow(QStringLiteral("Untitled 2"));
    ASSERT_FALSE(second.isEmpty());

    h.focus(second);
    h.key(QStringLiteral("ctrl+comma"));
    const QString preferences = h.waitForWindow(QStringLiteral("^General$"));
    ASSERT_FALSE(preferences.isEmpty()) << h.standardError().toStdString();
    h.focus(preferences);
    h.key(QStringLiteral("Down"));  // file type: PNG -> JPEG
    h.key(QStringLiteral("Tab"));
    h.key(QStringLiteral("space")); // anti-aliasing off
    h.key(QStringLiteral("ctrl+2"));
    ASSERT_FALSE(h.waitForWindow(QStringLiteral("^Advanced$")).isEmpty());
    h.key(QStringLiteral("ctrl+a"));
    h.type(QStringLiteral("1"));
    h.key(QStringLiteral("Return"));
    // The undo limit is the last setting made: once written, all are.
    EXPECT_TRUE(E2EHarness::waitUntil([&] {
        return QSettings(h.settingsFile(), QSettings::IniFormat).value(QStringLiteral("UndoLevels")).toInt() == 1;
    }));

    QSettings settings(h.settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("FileType")).toString(), QStringLiteral("JPEG"));
    EXPECT_EQ(settings.value(QStringLiteral("AllowAntialias")).toString(), QStringLiteral("false"));
    EXPECT_EQ(settings.value(QStringLiteral("UndoLevels")).toInt(), 1);

    // In both documents only the last of two inversions can be undone: the
    // picture stays inverted once. Saves now write JPEG.
    int index = 0;
    for (const QString& window : {first, second}) {
        SCOPED_TRACE(index);
        h.focus(window);
        h.key(QStringLiteral("ctrl+shift+i"));
        h.key(QStringLiteral("ctrl+shift+i"));
        h.key(QStringLiteral("ctrl+z"));
        h.key(QStringLiteral("ctrl+z"));
        const QString saved =
            h.saveAs(window, h.workDir() + QStringLiteral("/limited-%1").arg(index++), QStringLiteral("jpg"));
        ASSERT_FALSE(saved.isEmpty()) << h.standardError().toStdString();
        EXPECT_TRUE(h.identify(saved).startsWith(QStringLiteral("JPEG")));
        EXPECT_LT(qGray(QImage(saved).pixel(10, 10)), 30);
    }
    h.quitCleanly(first);
}

TEST(SheetsE2E, AboutShowsTheProgramsNameVersionAndCredits)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch());
    const QString window = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.focus(window);
    h.key(QStringLiteral("alt+h"));
    h.key(QStringLiteral("a"));
    const QString about = h.waitForWindow(QStringLiteral("^About Velumo$"));
    ASSERT_FALSE(about.isEmpty()) << h.standardError().toStdString();
    // Name, version, copyright and credits are text on the window: many
    // dark pixels on a light background, once it has painted.
    int dark = 0;
    E2EHarness::waitUntil([&] {
        const QImage shot = h.screenshot(about);
        dark = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                dark += qGray(shot.pixel(x, y)) < 100;
        return dark > 500;
    });
    EXPECT_GT(dark, 500);
    // Choosing About again brings back the same window, not a second one.
    h.focus(window);
    h.key(QStringLiteral("alt+h"));
    h.key(QStringLiteral("a"));
    // The window comes forward with the focus once the command is handled.
    EXPECT_TRUE(E2EHarness::waitUntil([&] {
        return h.run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).trimmed() == about;
    }));
    EXPECT_EQ(h.visibleWindows(QStringLiteral("^About Velumo$")).size(), 1);
    h.quitCleanly(window);
}
