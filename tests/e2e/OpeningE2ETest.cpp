// A picture named on the command line: its window shows with the picture's
// name, the picture follows, and what the user does at once already acts on
// the picture. A picture that fails to decode after its window showed is
// reported, and the program stays usable.
#include "E2EHarness.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

// Opaque, with no two neighbours alike, so that a shifted, scaled or
// missing pixel shows.
QImage patternPicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            row[x] = qRgb((x * 7) % 256, (y * 13) % 256, (x ^ y) % 256);
    }
    return picture;
}

// Pixels of a that differ from b (sizes must match).
int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            count += (p[col] & 0xffffff) != (q[col] & 0xffffff);
    }
    return count;
}

} // namespace

TEST(OpeningE2E, ALargePictureOnTheCommandLineShowsItsNameThenItsPixelsAndSavesWhole)
{
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    const QImage picture = patternPicture(QSize(2400, 1800));
    const QString path = h.workDir() + QStringLiteral("/large.png");
    ASSERT_TRUE(picture.save(path));
    ASSERT_TRUE(h.launch({path}));
    const QString window = h.waitForWindow(QStringLiteral("large.png"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();

    // Saved at once, while the picture may still be decoding: the file
    // holds the whole picture all the same.
    const QString copy = h.saveAs(window, h.workDir() + QStringLiteral("/copy"));
    ASSERT_FALSE(copy.isEmpty()) << h.standardError().toStdString();
    EXPECT_EQ(h.identify(copy), QStringLiteral("PNG 2400 1800"));
    EXPECT_EQ(differingPixels(h.decodeIndependently(copy), picture), 0);

    // On the screen, at 100 %, the canvas shows the picture's pixels.
    const QRect canvas = h.canvasExtents(window);
    ASSERT_FALSE(canvas.isEmpty());
    const QRect shown = QRect(QPoint(0, 0), canvas.size()).intersected(QRect(0, 0, 200, 150));
    int differing = -1;
    E2EHarness::waitUntil([&] {
        const QImage screen = h.screenshot();
        differing = differingPixels(screen.copy(shown.translated(canvas.topLeft())), picture.copy(shown));
        return differing == 0;
    });
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(h.visibleWindows().size(), 1);
    h.quitCleanly(window);
}

TEST(OpeningE2E, APictureWhoseDataIsDamagedIsReportedAndAnUntitledWindowStays)
{
    E2EHarness h;
    ASSERT_TRUE(h.startServer());
    // Whole in its structure, so that its window shows: two bytes inside the
    // compressed pixels are wrong.
    const QString damaged = h.workDir() + QStringLiteral("/damaged.png");
    ASSERT_TRUE(QFile::copy(E2EHarness::testDataPath(QStringLiteral("images/corrupt.png")), damaged));
    ASSERT_TRUE(h.launch({damaged}));
    const QString alert = h.waitForWindow(QStringLiteral("^Velumo$"));
    ASSERT_FALSE(alert.isEmpty()) << h.standardError().toStdString();
    const QString window = h.waitForWindow(QStringLiteral("Untitled"));
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(h.waitForNoWindow(QStringLiteral("damaged")));
    h.focus(alert);
    h.key(QStringLiteral("Return"));
    EXPECT_TRUE(h.waitForNoWindow(QStringLiteral("^Velumo$")));

    const QString saved = h.saveAs(window, h.workDir() + QStringLiteral("/after"));
    EXPECT_FALSE(saved.isEmpty());
    h.quitCleanly(window);
}
