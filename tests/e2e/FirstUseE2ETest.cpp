// What a new user meets on the real program: a click zoomed in, the name
// typed in the save panel, transparency saved as JPEG and BMP, and broken
// files named on the command line.
#include "E2EHarness.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

#include <iostream>

namespace {
void setSetting(E2EHarness& h, const QString& key, const QVariant& value)
{
    QDir().mkpath(QFileInfo(h.settingsFile()).absolutePath());
    QSettings settings(h.settingsFile(), QSettings::IniFormat);
    settings.setValue(key, value);
}

// Where the picture's top-left pixel (pure red in the test picture) shows
// on the screen, once it shows as a square of the given side.
QPoint findRedSquare(E2EHarness& h, const QString& window, int side)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QImage shot = h.screenshot();
        // Only where the canvas shows: the ribbon has red swatches of its own.
        const QRect canvas = h.canvasExtents(window, 2000);
        for (int y = std::max(0, canvas.top()); y < std::min(shot.height(), canvas.bottom()); ++y) {
            for (int x = std::max(0, canvas.left()); x < std::min(shot.width(), canvas.right()); ++x) {
                if (shot.pixel(x, y) != qRgb(255, 0, 0))
                    continue;
                int w = 0;
                while (x + w < shot.width() && shot.pixel(x + w, y) == qRgb(255, 0, 0))
                    ++w;
                int hgt = 0;
                while (y + hgt < shot.height() && shot.pixel(x, y + hgt) == qRgb(255, 0, 0))
                    ++hgt;
                if (w == side && hgt == side)
                    return {x, y};
                y = shot.height(); // not zoomed yet: look again
                break;
            }
        }
        QThread::msleep(100);
    }
    return {-1, -1};
}

QString writeTransparentPicture(E2EHarness& h, const QString& name)
{
    QImage picture(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            picture.setPixelColor(x, y, x < 20 ? QColor(0, 0, 0, 0) : QColor(200, 0, 0, 128));
    const QString path = h.workDir() + QLatin1Char('/') + name;
    picture.save(path, "PNG");
    return path;
}
} // namespace

// At 400% a click anywhere in a pixel's screen square paints around that
// pixel: the default 2-pixel pencil dot covers it and its upper-left
// neighbours, never the pixel below or to the right.
TEST(FirstUseE2E, AZoomedClickPaintsThePixelUnderThePointer)
{
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    setSetting(h, QStringLiteral("AllowAntialias"), false);
    const QString picture = h.writeTestPicture(QStringLiteral("zoom.png"), QSize(24, 18));
    ASSERT_TRUE(h.launch({picture}));
    const QString window = h.waitForWindow(QStringLiteral("zoom.png"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.focus(window);
    h.key(QStringLiteral("ctrl+equal"));
    h.key(QStringLiteral("ctrl+equal"));
    const QPoint origin = findRedSquare(h, window, 4);
    ASSERT_GE(origin.x(), 0) << "the picture at 400% is not on the screen";

    // One click in each quarter of a pixel's 4 x 4 screen square.
    const struct {
        QPoint pixel;
        QPoint inSquare;
    } clicks[] = {{{5, 5}, {0, 0}}, {{12, 5}, {3, 0}}, {{5, 12}, {0, 3}}, {{12, 12}, {3, 3}}, {{19, 9}, {2, 2}}};
    for (const auto& c : clicks) {
        const QPoint at = origin + c.pixel * 4 + c.inSquare;
        h.mouseMove(at.x(), at.y());
        h.click(1);
    }
    const QString saved = h.saveAs(window, h.workDir() + QStringLiteral("/zoomed"));
    ASSERT_FALSE(saved.isEmpty()) << h.standardError().toStdString();
    const QImage back = h.decodeIndependently(saved);
    ASSERT_EQ(back.size(), QSize(24, 18));
    int painted = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 24; ++x)
            painted += back.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_EQ(painted, 4 * 5);
    for (const auto& c : clicks) {
        SCOPED_TRACE(testing::Message() << c.pixel.x() << "," << c.pixel.y());
        for (const QPoint d : {QPoint(0, 0), QPoint(-1, 0), QPoint(0, -1), QPoint(-1, -1)})
            EXPECT_EQ(back.pixel(c.pixel + d), qRgb(0, 0, 0));
        for (const QPoint d : {QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
            EXPECT_EQ(back.pixel(c.pixel + d), qRgb(20, 120, 220));
    }
    h.quitCleanly(window);
}

// The extension typed in the save panel chooses the type, whatever the type
// pop-up shows: the file has that name and that kind of data.
TEST(FirstUseE2E, TheExtensionTypedInTheSavePanelChoosesTheType)
{
    const struct {
        const char* preference;
        const char* typed;
        const char* format;
    } cases[] = {{"PNG", "copy.jpg", "JPEG"}, {"JPEG", "x.png", "PNG"}};
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        setSetting(h, QStringLiteral("FileType"), QString::fromLatin1(c.preference));
        ASSERT_TRUE(h.launch());
        const QString window = h.waitForWindow(QStringLiteral("Untitled"));
        ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
        const QString path = h.workDir() + QLatin1Char('/') + QString::fromLatin1(c.typed);
        h.typeIntoSavePanel(window, path);
        ASSERT_TRUE(h.waitForFile(path)) << h.standardError().toStdString();
        EXPECT_TRUE(h.identify(path).startsWith(QString::fromLatin1(c.format))) << h.identify(path).toStdString();
        const QString wrong = path + QLatin1Char('.') + QString::fromLatin1(c.preference).toLower().left(3);
        EXPECT_FALSE(QFileInfo::exists(wrong)) << wrong.toStdString();
        h.quitCleanly(window);
    }
}

// JPEG and BMP hold no transparency: saved, the picture reads back (through
// ImageMagick) as the canvas showed it, over white.
TEST(FirstUseE2E, TransparencySavedAsJpegOrBmpReadsBackOverWhite)
{
    const struct {
        const char* setting;
        const char* extension;
        int tolerance;
    } cases[] = {{"JPEG", "jpg", 8}, {"BMP", "bmp", 1}};
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    const QString picture = writeTransparentPicture(h, QStringLiteral("clear.png"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        setSetting(h, QStringLiteral("FileType"), QString::fromLatin1(c.setting));
        ASSERT_TRUE(h.launch({picture}));
        const QString window = h.waitForWindow(QStringLiteral("clear.png"));
        ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
        const QString saved =
            h.saveAs(window, h.workDir() + QStringLiteral("/flat-") + QString::fromLatin1(c.extension),
                     QString::fromLatin1(c.extension));
        ASSERT_FALSE(saved.isEmpty()) << h.standardError().toStdString();
        const QImage back = h.decodeIndependently(saved);
        ASSERT_EQ(back.size(), QSize(40, 30));
        const QColor clear = back.pixelColor(5, 15);
        const QColor half = back.pixelColor(32, 15);
        EXPECT_EQ(clear.alpha(), 255);
        EXPECT_GE(std::min({clear.red(), clear.green(), clear.blue()}), 255 - c.tolerance);
        EXPECT_EQ(half.alpha(), 255);
        EXPECT_NEAR(half.red(), 227, c.tolerance);
        EXPECT_NEAR(half.green(), 127, c.tolerance);
        EXPECT_NEAR(half.blue(), 127, c.tolerance);
        h.quitCleanly(window);
    }
}

// A few hundred bytes that declare gigabytes (a PNG text chunk) or a huge
// screen (a GIF) are refused with the usual alert about as fast as a good
// small picture opens, and without holding much more memory than it.
TEST(FirstUseE2E, BrokenFilesAreRefusedQuicklyWithoutTheMemoryTheyDeclare)
{
    E2EHarness h;
    ASSERT_TRUE(h.startServer());

    // The yardstick: a good small picture.
    const QString good = h.writeTestPicture(QStringLiteral("good.png"), QSize(64, 48));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(h.launch({good}));
    const QString goodWindow = h.waitForWindow(QStringLiteral("good.png"), 60000);
    const qint64 goodTime = timer.elapsed();
    const qint64 goodPeak = h.peakMemoryKiB();
    ASSERT_FALSE(goodWindow.isEmpty()) << h.standardError().toStdString();
    ASSERT_GT(goodPeak, 0);
    h.quitCleanly(goodWindow);
    std::cout << "good 64 x 48 PNG: window after " << goodTime << " ms, peak " << goodPeak / 1024 << " MiB"
              << std::endl;

    for (const char* name : {"text-chunk-past-end.png", "screen-larger-than-picture.gif"}) {
        SCOPED_TRACE(name);
        const QString broken = E2EHarness::testDataPath(QStringLiteral("images/") + QString::fromLatin1(name));
        ASSERT_TRUE(QFileInfo::exists(broken));
        timer.restart();
        ASSERT_TRUE(h.launch({broken}));
        const QString alert = h.waitForWindow(QStringLiteral("^Velumo$"), 60000);
        const qint64 time = timer.elapsed();
        const qint64 peak = h.peakMemoryKiB();
        ASSERT_FALSE(alert.isEmpty()) << h.standardError().toStdString();
        std::cout << name << " (" << QFileInfo(broken).size() << " bytes): refused after " << time << " ms, peak "
                  << peak / 1024 << " MiB" << std::endl;
        // Refused, and the program goes on with an untitled picture.
        EXPECT_TRUE(h.visibleWindows(QFileInfo(broken).fileName()).isEmpty());
        const QString window = h.waitForWindow(QStringLiteral("Untitled"));
        EXPECT_FALSE(window.isEmpty());
        // The declarations would take 427 MB (the GIF's screen) to 1.7 GB
        // (the PNG's chunk); a refusal holds what a small picture does.
        EXPECT_LT(peak, goodPeak + 100 * 1024);
        EXPECT_LT(time, 3 * goodTime + 5000);
        h.focus(alert);
        h.key(QStringLiteral("Return"));
        EXPECT_TRUE(h.waitForNoWindow(QStringLiteral("^Velumo$")));
        if (!window.isEmpty())
            h.quitCleanly(window);
    }
}
