#include "CanvasProgram.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xffffffffu;

using ShapeProgram = CanvasProgram;

// Pixels whose colours differ by more than a little.
int differing(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            n += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                           std::abs(qBlue(p) - qBlue(q))}) > 48;
        }
    return n;
}

} // namespace

TEST(ShapeToolE2E, HeartTurnedResizedCommittedSavedAndUndone)
{
    ShapeProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_EQ(p.canvas.size(), QSize(400, 300)) << "no canvas on the screen";

    ASSERT_TRUE(p.h.chooseControl(QStringLiteral("heart"), p.window));
    // A heart in the box (100, 80)-(200, 180), centre (150, 130).
    p.drag({100, 80}, {200, 180});
    // Its right middle handle is at (200, 130); just beyond it, its ring:
    // dragged a quarter turn around the centre.
    p.drag({212, 130}, {150, 192});
    // Turned a quarter, the old right middle handle lies at the bottom
    // (150, 180); dragged 20 further down it makes the heart 20 wider.
    p.drag({150, 180}, {150, 200});
    // A press outside commits it.
    p.drag({380, 280}, {380, 280});
    const QImage saved = p.save(QStringLiteral("heart"));
    ASSERT_FALSE(saved.isNull()) << p.h.standardError().toStdString();
    ASSERT_EQ(saved.size(), QSize(400, 300));

    const QString goldenPath = E2EHarness::testDataPath(QStringLiteral("e2e/turned-heart.png"));
    if (qEnvironmentVariableIntValue("VELUMO_WRITE_GOLDENS") == 1) {
        QDir().mkpath(QFileInfo(goldenPath).path());
        ASSERT_TRUE(saved.save(goldenPath));
    }
    const QImage golden = QImage(goldenPath).convertToFormat(saved.format());
    ASSERT_FALSE(golden.isNull()) << goldenPath.toStdString();
    EXPECT_LE(differing(saved, golden), 400 * 300 / 200);
    // Turned a quarter clockwise and made 20 wider: the ink fills the box
    // (100, 80)-(200, 200), the tip (once at the bottom) now on the left.
    QRect ink;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            if (saved.pixel(x, y) != kWhite)
                ink |= QRect(x, y, 1, 1);
    EXPECT_NEAR(ink.left(), 100, 3);
    EXPECT_NEAR(ink.right(), 200, 3);
    EXPECT_NEAR(ink.top(), 80, 3);
    EXPECT_NEAR(ink.bottom(), 200, 3);
    int tipInk = 0;
    for (int y = 130; y <= 150; ++y)
        tipInk += saved.pixel(101, y) != kWhite;
    EXPECT_GT(tipInk, 0) << "the tip points left";

    p.h.focus(p.window);
    p.h.key(QStringLiteral("ctrl+z"));
    const QImage undone = p.save(QStringLiteral("undone"));
    ASSERT_FALSE(undone.isNull());
    EXPECT_EQ(pixelsOtherThan(undone, kWhite), 0);
    p.h.quitCleanly(p.window);
}
