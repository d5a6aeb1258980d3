// The brush tool on the real program: mouse drags paint dabs along their
// path, one undo takes a stroke back, a right-button drag paints the back
// colour, and a brush chosen in the chooser paints a different stroke.
// Every check reads a saved picture back through ImageMagick.
#include "E2EHarness.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Paint taken off white within a box: 0 for a blank box.
long inkIn(const QImage& picture, const QRect& box)
{
    long ink = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            ink += 255 - qGray(picture.pixel(x, y));
    return ink;
}

// Pixels within a box darker than mid-grey: tells a solid stroke from a
// scattered or transparent one whatever their total paint.
long darkIn(const QImage& picture, const QRect& box)
{
    long dark = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            dark += qGray(picture.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

struct BrushProgram {
    BrushProgram()
    {
        if (!h.launch())
            return;
        window = h.waitForWindow(QStringLiteral("Untitled"));
        if (window.isEmpty())
            return;
        h.focus(window);
        canvas = h.canvasExtents(window);
    }
    bool ready() const { return !window.isEmpty() && canvas.size() == QSize(400, 300); }

    // A tool or a brush of the window, found by its accessible name.
    bool choose(const QString& control) { return h.chooseControl(control, window); }
    void dragOnCanvas(const QPoint& from, const QPoint& to, int button = 1)
    {
        h.drag(canvas.topLeft() + from, canvas.topLeft() + to, QString(), button, 15);
    }
    // Save As through the keyboard, then the saved picture.
    QImage saveAs(const QString& name)
    {
        const QString written = h.saveAs(window, h.workDir() + QLatin1Char('/') + name);
        return written.isEmpty() ? QImage() : h.decodeIndependently(written);
    }
    void quit()
    {
        h.focus(window);
        h.key(QStringLiteral("ctrl+q"));
        EXPECT_EQ(h.waitForExit(), 0);
        EXPECT_FALSE(h.stderrHasSanitizerReport()) << h.standardError().toStdString();
        EXPECT_FALSE(h.standardError().contains(QLatin1String("Brush file refused")));
    }

    E2EHarness h;
    QString window;
    // The blank 400 x 300 picture on the screen.
    QRect canvas;
};

} // namespace

TEST(BrushToolE2E, DragsPaintUndoTakesBackRightDragPaintsBackColourAndTheChooserChangesTheStroke)
{
    BrushProgram p;
    ASSERT_TRUE(p.ready()) << p.canvas.width() << " x " << p.canvas.height() << "\n" << p.h.standardError().toStdString();
    ASSERT_TRUE(p.choose(QStringLiteral("Brushes"))); // the tool; its first brush is loaded at start

    // A drag paints dabs all along its path, and nothing elsewhere.
    p.dragOnCanvas({40, 100}, {360, 100});
    const QImage stroked = p.saveAs(QStringLiteral("stroke"));
    ASSERT_EQ(stroked.size(), QSize(400, 300)) << p.h.standardError().toStdString();
    for (int x : {60, 120, 200, 280, 340})
        EXPECT_GT(inkIn(stroked, QRect(x - 2, 95, 5, 11)), 5 * 11 * 40) << "paint at x " << x;
    EXPECT_EQ(inkIn(stroked, QRect(0, 0, 400, 85)), 0);
    EXPECT_EQ(inkIn(stroked, QRect(0, 115, 400, 185)), 0);

    // One undo takes the whole stroke back.
    p.h.key(QStringLiteral("ctrl+z"));
    const QImage undone = p.saveAs(QStringLiteral("undone"));
    ASSERT_FALSE(undone.isNull());
    EXPECT_EQ(inkIn(undone, undone.rect()), 0);

    // The back colour (white): a right drag across a black stroke clears it there.
    p.dragOnCanvas({40, 200}, {360, 200});
    p.dragOnCanvas({200, 150}, {200, 260}, 3);
    const QImage crossed = p.saveAs(QStringLiteral("crossed"));
    ASSERT_FALSE(crossed.isNull());
    const long blackStroke = inkIn(crossed, QRect(118, 195, 5, 11));
    const long crossing = inkIn(crossed, QRect(198, 195, 5, 11));
    EXPECT_GT(blackStroke, 5 * 11 * 40);
    EXPECT_LT(crossing, blackStroke * 7 / 10) << "white paint over the black stroke";
    EXPECT_EQ(inkIn(crossed, QRect(190, 150, 21, 40)), 0) << "white on white leaves no mark";

    // Another brush of the chooser (the second of the first group), in the
    // Brushes group's pop-up, paints a different stroke.
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Choose Brush"), p.window));
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("sketch/charcoal")));
    ASSERT_TRUE(E2EHarness::waitUntil([&] { return p.h.findControl(QStringLiteral("Brushes"), p.window).isChecked(); }));
    p.dragOnCanvas({40, 50}, {360, 50});
    const QImage chosen = p.saveAs(QStringLiteral("chosen"));
    ASSERT_FALSE(chosen.isNull());
    const QRect firstBox(60, 185, 130, 31); // left of the white crossing
    const QRect secondBox(60, 35, 130, 31);
    EXPECT_GT(inkIn(chosen, secondBox), 130 * 20) << "the new brush paints";
    const long first = darkIn(chosen, firstBox);
    const long second = darkIn(chosen, secondBox);
    EXPECT_TRUE(second < first * 3 / 4 || second > first * 4 / 3) << first << " vs " << second;
    p.quit();
}
