#include "CanvasProgram.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr QRgb kWhite = 0xffffffffu;

// Black text and its grey anti-aliased rim; not the purple outline of the
// box nor the coloured handles.
bool isTextInk(QRgb p)
{
    const int r = qRed(p), g = qGreen(p), b = qBlue(p);
    return r < 110 && g < 110 && b < 110 && std::abs(r - g) < 40 && std::abs(g - b) < 40;
}

// The text's pixels within the canvas, in canvas coordinates.
struct Ink {
    QImage mask;
    QRect box;
    int count = 0;

    Ink(const QImage& image, QPoint canvasOrigin, QSize canvasSize)
        : mask(canvasSize, QImage::Format_Grayscale8)
    {
        mask.fill(0);
        for (int y = 0; y < canvasSize.height(); ++y)
            for (int x = 0; x < canvasSize.width(); ++x) {
                const QPoint at = canvasOrigin + QPoint(x, y);
                if (at.x() >= image.width() || at.y() >= image.height() || !isTextInk(image.pixel(at)))
                    continue;
                mask.setPixel(x, y, 255);
                box |= QRect(x, y, 1, 1);
                ++count;
            }
    }
    bool at(int x, int y) const { return qGray(mask.pixel(x, y)) != 0; }

    // Without the caret: a thin upright line standing apart at the right.
    void removeCaret()
    {
        if (box.isEmpty())
            return;
        const auto columnHasInk = [this](int x) {
            for (int y = box.top(); y <= box.bottom(); ++y)
                if (at(x, y))
                    return true;
            return false;
        };
        int gap = box.right();
        while (gap >= box.left() && columnHasInk(gap))
            --gap;
        if (gap < box.left() || box.right() - gap > 3)
            return;
        for (int x = gap + 1; x <= box.right(); ++x)
            for (int y = box.top(); y <= box.bottom(); ++y)
                mask.setPixel(x, y, 0);
        box = QRect();
        count = 0;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                if (at(x, y)) {
                    box |= QRect(x, y, 1, 1);
                    ++count;
                }
    }
};

struct TextProgram : CanvasProgram {
    Ink shownInk() { return Ink(h.screenshot(), canvas.topLeft(), QSize(400, 300)); }
    // The purple outline of the text view (a purple tint, however it is
    // anti-aliased), on the canvas.
    QRect textBox()
    {
        const QImage shot = h.screenshot();
        QRect box;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) {
                const QRgb c = shot.pixel(canvas.topLeft() + QPoint(x, y));
                if (qRed(c) - qGreen(c) > 40 && std::abs(qRed(c) - qBlue(c)) < 20)
                    box |= QRect(x, y, 1, 1);
            }
        return box;
    }
};

} // namespace

TEST(TextToolE2E, HelloTypedEnlargedCommittedSavedAndUndone)
{
    TextProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_TRUE(p.canvas.isValid()) << "no canvas on the screen";
    ASSERT_EQ(p.canvas.width(), 400);

    // A click opens a box there; typing goes into it.
    p.chooseTool(QStringLiteral("KZText"));
    p.click({40, 40});
    p.h.type(QStringLiteral("Hello"));
    ASSERT_TRUE(E2EHarness::waitUntil([&] { return p.shownInk().count > 30; })) << "the typed text does not show";

    // Selected, the font panel makes it larger: the box grows with it. A
    // busy machine may show a window before it takes keys, so the keys go
    // again (a few times at most) until their effect shows.
    const int typedBox = p.textBox().height();
    ASSERT_GT(typedBox, 0) << "no purple box around the text";
    p.h.key(QStringLiteral("ctrl+a"));
    QString panel;
    for (int attempt = 0; attempt < 3 && panel.isEmpty(); ++attempt) {
        p.h.focus(p.window);
        p.h.key(QStringLiteral("ctrl+t"));
        panel = p.h.waitForWindow(QStringLiteral("^Fonts$"), 20000);
    }
    ASSERT_FALSE(panel.isEmpty()) << "no font panel";
    bool grown = false;
    for (int attempt = 0; attempt < 3 && !grown; ++attempt) {
        p.h.focus(panel);
        p.h.key(QStringLiteral("alt+s"));
        p.h.key(QStringLiteral("ctrl+a"));
        p.h.type(QStringLiteral("48"));
        grown = E2EHarness::waitUntil([&] { return p.textBox().height() > 2 * typedBox; }, 30000);
    }
    ASSERT_TRUE(grown) << "the text did not grow";
    p.h.key(QStringLiteral("Escape"));
    p.h.waitForNoWindow(QStringLiteral("^Fonts$"));
    // The selection goes; the glyphs show dark again.
    int tries = 0;
    Ink shown = p.shownInk();
    ASSERT_TRUE(E2EHarness::waitUntil([&] {
        if (tries++ % 20 == 0) {
            p.h.focus(p.window);
            p.h.key(QStringLiteral("End"));
        }
        shown = p.shownInk();
        return shown.box.height() > 30;
    })) << "the larger text does not show";
    // What the editor shows now (with its caret after the last letter).
    ASSERT_TRUE(E2EHarness::waitUntil([&] {
        const Ink again = p.shownInk();
        const bool settled = again.box == shown.box && again.count == shown.count;
        shown = again;
        return settled;
    }));

    // A press outside commits; the saved picture has the text where it showed.
    p.click({380, 280});
    const QImage saved = p.save(QStringLiteral("hello"));
    ASSERT_FALSE(saved.isNull()) << p.h.standardError().toStdString();
    ASSERT_EQ(saved.size(), QSize(400, 300));
    const Ink committed(saved, QPoint(0, 0), saved.size());
    ASSERT_GT(committed.count, 100);
    // The editor showed its caret after the "o"; the glyphs are what counts.
    shown.removeCaret();
    EXPECT_NEAR(committed.box.left(), shown.box.left(), 2);
    EXPECT_NEAR(committed.box.top(), shown.box.top(), 2);
    EXPECT_NEAR(committed.box.right(), shown.box.right(), 2);
    EXPECT_NEAR(committed.box.bottom(), shown.box.bottom(), 2);
    int mismatched = 0;
    const QRect both = shown.box | committed.box;
    for (int y = both.top(); y <= both.bottom(); ++y)
        for (int x = both.left(); x <= both.right(); ++x)
            mismatched += shown.at(x, y) != committed.at(x, y);
    EXPECT_LE(mismatched, committed.count / 10) << "anti-aliasing only";
    EXPECT_GT(committed.box.height(), 30) << "the larger size";

    // One undo takes the text away again.
    p.h.focus(p.window);
    p.h.key(QStringLiteral("ctrl+z"));
    const QImage undone = p.save(QStringLiteral("undone"));
    ASSERT_FALSE(undone.isNull());
    EXPECT_EQ(pixelsOtherThan(undone, kWhite), 0);
    p.h.quitCleanly(p.window);
}
