// The ribbon on the real program: every tool of the registry is chosen by
// its ribbon control and changes the saved picture as that tool should; a
// colour swatch paints its colour; a brush chosen in the Brushes pop-up
// changes the stroke; the ribbon toggle hides the ribbon and the menu then
// offers to show it. Controls are found by name, pictures read back by an
// independent decoder.
#include "CanvasProgram.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Each tool draws in a cell of its own on the 400 x 300 picture.
constexpr int kCellWidth = 57;
constexpr int kCellHeight = 50;
QRect cell(int index)
{
    return QRect((index % 7) * kCellWidth, (index / 7) * kCellHeight, kCellWidth, kCellHeight);
}

int count(const QImage& picture, const QRect& area, const std::function<bool(QRgb)>& test)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(picture.pixel(x, y)) ? 1 : 0;
    return n;
}
bool inked(QRgb c)
{
    return qGray(c) < 200;
}
bool dark(QRgb c)
{
    return qGray(c) < 90;
}
bool red(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
}

struct RibbonProgram : CanvasProgram {
    using CanvasProgram::CanvasProgram;

    // The Image group's split button: its action part bears the name of the
    // selection tool it shows; the other tool is an item of its drop part's
    // menu.
    void chooseSelection(const QString& label)
    {
        if (!h.findControl(label, window, 3000).found) {
            ASSERT_TRUE(h.clickControl(QStringLiteral("Choose Selection Tool"), window));
            // The accessibility bridge leaves pop-up menus out of the tree:
            // the item is reached with the keyboard, by its place.
            const int place = label == QLatin1String("free selection") ? 2 : 1;
            for (int i = 0; i < place; ++i)
                h.key(QStringLiteral("Down"));
            h.key(QStringLiteral("Return"));
        } else {
            ASSERT_TRUE(h.clickControl(label, window));
        }
        EXPECT_TRUE(E2EHarness::waitUntil([&] { return h.findControl(label, window, 5000).isChecked(); }))
            << label.toStdString() << " is the current tool";
    }
    bool enabled(const QString& name) { return h.findControl(name, window, 5000).isEnabled(); }
    // The picture on the display's clipboard, as another program reads it.
    QImage clipboardPicture()
    {
        const QString file = h.workDir() + QStringLiteral("/clipboard.png");
        QFile::remove(file);
        int exitCode = -1;
        h.run(QStringLiteral(VELUMO_CLIPBOARD_PROBE), {QStringLiteral("-platform"), QStringLiteral("xcb"), file},
              E2EHarness::kDeadlineMs, &exitCode);
        return exitCode == 0 ? h.decodeIndependently(file) : QImage();
    }
    void dragIn(const QRect& box, QPoint from, QPoint to) { drag(box.topLeft() + from, box.topLeft() + to); }
    // The airbrush paints on its own clock, not on the moves: the button is
    // held until its paint shows in the cell on the screen.
    void sprayIn(const QRect& box, QPoint from, QPoint to)
    {
        h.mouseMove(onScreen(box.topLeft() + from).x(), onScreen(box.topLeft() + from).y());
        h.mouseDown(1);
        h.mouseMove(onScreen(box.topLeft() + to).x(), onScreen(box.topLeft() + to).y());
        const QRect onScreenBox(onScreen(box.topLeft()), box.size());
        E2EHarness::waitUntil([&] {
            const QImage shot = h.screenshot();
            return shot.rect().contains(onScreenBox) && count(shot, onScreenBox, inked) > 12;
        });
        h.mouseUp(1);
    }
    void lasso(const QRect& box, const QList<QPoint>& points)
    {
        h.mouseMove(onScreen(box.topLeft() + points.first()).x(), onScreen(box.topLeft() + points.first()).y());
        h.mouseDown(1);
        for (const QPoint& p : points) {
            for (int s = 1; s <= 4; ++s) {
                const QPoint at = onScreen(box.topLeft() + p);
                h.mouseMove(at.x() - 4 + s, at.y());
            }
        }
        h.mouseUp(1);
    }
    // A line across the middle of the cell with the pencil.
    void inkLine(const QRect& box)
    {
        chooseTool(QStringLiteral("Brush"));
        dragIn(box, {4, 25}, {52, 25});
    }
};

} // namespace

// The pixel-grid selections ("Rectangle Selection", "Arbitrary Selection")
// are registered but offered by no control; their tests work below the
// window.
TEST(RibbonE2E, EveryToolOfTheRibbonIsChosenThereAndDrawsAsItShould)
{
    RibbonProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_EQ(p.canvas.size(), QSize(400, 300));

    // Tools that draw along a drag, each in its own cell.
    QStringList strokes = {QStringLiteral("Brush"),   QStringLiteral("Airbrush"), QStringLiteral("Brushes"),
                           QStringLiteral("Line"),    QStringLiteral("Curve"),    QStringLiteral("Ellipse"),
                           QStringLiteral("rectangleMessage"), QStringLiteral("bubble"), QStringLiteral("cloud"),
                           QStringLiteral("heart"), QStringLiteral("rightTriangle"), QStringLiteral("triangle"),
                           QStringLiteral("pentacle"), QStringLiteral("prismatic"), QStringLiteral("pentagon"),
                           QStringLiteral("hexagon"), QStringLiteral("arrowRight"), QStringLiteral("arrowLeft"),
                           QStringLiteral("arrowLeftRight"), QStringLiteral("arrowUp"), QStringLiteral("arrowDown"),
                           QStringLiteral("arrowUpDown"), QStringLiteral("flash"), QStringLiteral("smile"),
                           QStringLiteral("fourPointStar"), QStringLiteral("hexagram"), QStringLiteral("rectangle"),
                           QStringLiteral("circle"), QStringLiteral("roundedRectangle")};
    int next = 0;
    QHash<QString, QRect> cells;
    for (const QString& tool : strokes) {
        const QRect box = cell(next++);
        cells.insert(tool, box);
        p.chooseTool(tool);
        if (tool == QLatin1String("Airbrush"))
            p.sprayIn(box, {10, 10}, {46, 40});
        else
            p.dragIn(box, {10, 10}, {46, 40});
    }
    // The eraser across the pencil's own line.
    const QRect eraserBox = cell(next++);
    p.inkLine(eraserBox);
    // A wide eraser: the Size field takes 9.
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Size"), p.window));
    p.h.key(QStringLiteral("ctrl+a"));
    p.h.type(QStringLiteral("9"));
    p.h.key(QStringLiteral("Return"));
    p.chooseTool(QStringLiteral("Eraser"));
    p.dragIn(eraserBox, {28, 8}, {28, 44});
    // The fill inside the rectangle shape's outline.
    p.chooseTool(QStringLiteral("Fill"));
    p.click(cells.value(QStringLiteral("rectangle")).topLeft() + QPoint(28, 25));
    // Text typed at a click.
    const QRect textBox = cell(next++);
    p.chooseTool(QStringLiteral("KZText"));
    p.click(textBox.topLeft() + QPoint(6, 14));
    p.h.type(QStringLiteral("Hi"));
    // A red swatch, then the pencil: red paint.
    const QRect swatchBox = cell(next++);
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Maraschino"), p.window));
    p.inkLine(swatchBox);
    // The eyedropper on a black line takes black again.
    const QRect dropperBox = cell(next++);
    p.chooseTool(QStringLiteral("Eyedropper"));
    p.click(eraserBox.topLeft() + QPoint(10, 25));
    p.inkLine(dropperBox);
    // The selection tools: a selection over the left half of a line, deleted.
    const QStringList selections = {QStringLiteral("rectangle selection"), QStringLiteral("free selection")};
    EXPECT_FALSE(p.h.findControl(QStringLiteral("Rectangle Selection"), p.window, 2000).found);
    EXPECT_FALSE(p.h.findControl(QStringLiteral("Arbitrary Selection"), p.window, 2000).found);
    QHash<QString, QRect> selectionCells;
    for (const QString& tool : selections) {
        const QRect box = cell(next++);
        selectionCells.insert(tool, box);
        p.inkLine(box);
        p.chooseSelection(tool);
        if (tool.contains(QLatin1String("ectangle")))
            p.dragIn(box, {1, 12}, {27, 38});
        else
            p.lasso(box, {{1, 12}, {27, 12}, {27, 38}, {1, 38}, {1, 13}});
        p.h.key(QStringLiteral("Delete"));
    }
    // The zoom tool: a click shows the picture twice as large.
    p.chooseTool(QStringLiteral("Zoom"));
    p.click({200, 150});
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return p.h.canvasExtents(p.window, 5000).width() > 400; }))
        << "the zoom tool enlarges the canvas on the screen";
    p.h.focus(p.window);
    p.h.key(QStringLiteral("ctrl+0"));
    ASSERT_TRUE(E2EHarness::waitUntil([&] { return p.h.canvasExtents(p.window, 5000).size() == QSize(400, 300); }));
    p.canvas = p.h.canvasExtents(p.window);

    const QImage drawn = p.save(QStringLiteral("drawn"));
    ASSERT_EQ(drawn.size(), QSize(400, 300)) << p.h.standardError().toStdString();
    for (const QString& tool : strokes) {
        const QRect box = cells.value(tool).adjusted(2, 2, -2, -2);
        EXPECT_GT(count(drawn, box, inked), 12) << tool.toStdString() << " drew nothing";
    }
    const QRect onLine(eraserBox.left() + 6, eraserBox.top() + 20, 9, 11);
    const QRect crossing(eraserBox.left() + 25, eraserBox.top() + 20, 7, 11);
    EXPECT_GT(count(drawn, onLine, dark), 8);
    EXPECT_LT(count(drawn, crossing, dark), count(drawn, onLine, dark) / 2) << "the eraser took the line away";
    const QRect inside = cells.value(QStringLiteral("rectangle")).adjusted(20, 18, -20, -18);
    EXPECT_EQ(count(drawn, inside, dark), inside.width() * inside.height()) << "the fill filled the rectangle";
    EXPECT_GT(count(drawn, textBox, inked), 10) << "the text tool wrote";
    EXPECT_GT(count(drawn, swatchBox, red), 20) << "the swatch's colour";
    EXPECT_GT(count(drawn, dropperBox, dark), 20) << "the eyedropper took black";
    EXPECT_EQ(count(drawn, dropperBox, red), 0);
    for (const QString& tool : selections) {
        const QRect box = selectionCells.value(tool);
        const QRect left(box.left() + 6, box.top() + 20, 16, 10);
        const QRect right(box.left() + 34, box.top() + 20, 16, 10);
        EXPECT_EQ(count(drawn, left, inked), 0) << tool.toStdString() << ": the selected ink went";
        EXPECT_GT(count(drawn, right, dark), 10) << tool.toStdString() << ": the rest stayed";
    }

    // The bomb: the whole picture takes the back colour.
    p.chooseTool(QStringLiteral("Bomb"));
    p.click({200, 150});
    const QImage bombed = p.save(QStringLiteral("bombed"));
    ASSERT_EQ(bombed.size(), QSize(400, 300));
    EXPECT_EQ(pixelsOtherThan(bombed, qRgb(255, 255, 255)), 0);
    p.h.quitCleanly(p.window);
}

TEST(RibbonE2E, ABrushChosenInTheBrushesPopUpChangesTheStroke)
{
    RibbonProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    p.chooseTool(QStringLiteral("Brushes"));
    p.drag({20, 60}, {380, 60});
    // The chooser opens below the brush button, in a window of its own.
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Choose Brush"), p.window));
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("sketch/charcoal")));
    EXPECT_TRUE(E2EHarness::waitUntil([&] {
        return p.h.findControl(QStringLiteral("Brushes"), p.window, 5000).isChecked();
    })) << "choosing a brush paints with it";
    p.drag({20, 200}, {380, 200});
    const QImage picture = p.save(QStringLiteral("brushes"));
    ASSERT_EQ(picture.size(), QSize(400, 300)) << p.h.standardError().toStdString();
    const int first = count(picture, QRect(60, 45, 280, 31), dark);
    const int second = count(picture, QRect(60, 185, 280, 31), dark);
    EXPECT_GT(count(picture, QRect(60, 185, 280, 31), inked), 100) << "the chosen brush paints";
    EXPECT_TRUE(second < first * 3 / 4 || second > first * 4 / 3) << first << " vs " << second;
    p.h.quitCleanly(p.window);
}

TEST(RibbonE2E, TheToggleHidesTheRibbonAndTheMenuOffersToShowIt)
{
    RibbonProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_TRUE(p.h.findControl(QStringLiteral("Eraser"), p.window).found);
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Hide Tool Panel"), p.window));
    EXPECT_TRUE(p.h.findControl(QStringLiteral("Show Tool Panel"), p.window).found);
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return !p.h.findControl(QStringLiteral("Eraser"), p.window, 2000).found; }))
        << "the tools went with the ribbon";
    // The View menu says what its item will do now.
    p.h.focus(p.window);
    p.h.key(QStringLiteral("alt+v"));
    EXPECT_TRUE(p.h.findControl(QStringLiteral("Show Tool Panel"), QString()).found);
    p.h.key(QStringLiteral("Escape"));
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Show Tool Panel"), p.window));
    EXPECT_TRUE(p.h.findControl(QStringLiteral("Eraser"), p.window).found);
    p.h.quitCleanly(p.window);
}

// A selection made with the Image group's button is copied to the system
// clipboard, cropped to and undone in one step; the button's other tool,
// chosen through its drop part, lifts what a loop encloses. The editing
// buttons say whether they can be used now.
TEST(RibbonE2E, ARibbonSelectionIsCopiedCroppedAndUndoneAndALoopLiftsItsInside)
{
    RibbonProgram p{CanvasProgram::Deferred{}};
    const QString path = p.h.writeTestPicture(QStringLiteral("photo.png"), QSize(400, 300));
    const QImage original = p.h.decodeIndependently(path);
    ASSERT_EQ(original.size(), QSize(400, 300));
    p.open({path}, QStringLiteral("photo"));
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_EQ(p.canvas.size(), QSize(400, 300));

    // Nothing is placed: the editing buttons report themselves disabled.
    const QStringList editing = {QStringLiteral("Cut"), QStringLiteral("Copy"), QStringLiteral("Crop")};
    for (const QString& name : editing)
        EXPECT_TRUE(E2EHarness::waitUntil([&] { return !p.enabled(name); })) << name.toStdString();

    p.chooseSelection(QStringLiteral("rectangle selection"));
    p.drag({20, 30}, {120, 90});
    for (const QString& name : editing)
        EXPECT_TRUE(E2EHarness::waitUntil([&] { return p.enabled(name); })) << name.toStdString();

    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Copy"), p.window));
    QImage copied;
    EXPECT_TRUE(E2EHarness::waitUntil([&] {
        copied = p.clipboardPicture();
        return copied.size() == QSize(100, 60);
    })) << "the clipboard holds " << copied.width() << " x " << copied.height();
    if (copied.size() == QSize(100, 60))
        EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), original.copy(20, 30, 100, 60).convertToFormat(QImage::Format_RGB32));

    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Crop"), p.window));
    const QImage cropped = p.save(QStringLiteral("cropped"));
    ASSERT_EQ(cropped.size(), QSize(100, 60)) << p.h.standardError().toStdString();
    EXPECT_EQ(cropped.convertToFormat(QImage::Format_RGB32), original.copy(20, 30, 100, 60).convertToFormat(QImage::Format_RGB32));

    // One undo brings the whole picture back.
    p.h.focus(p.window);
    p.h.key(QStringLiteral("ctrl+z"));
    const QImage undone = p.save(QStringLiteral("undone"));
    ASSERT_EQ(undone.size(), QSize(400, 300));
    EXPECT_EQ(undone.convertToFormat(QImage::Format_RGB32), original.convertToFormat(QImage::Format_RGB32));
    ASSERT_TRUE(E2EHarness::waitUntil([&] { return p.h.canvasExtents(p.window, 5000).size() == QSize(400, 300); }));
    p.canvas = p.h.canvasExtents(p.window);

    // The free selection, from the drop part: a loop lifts its inside,
    // which Delete then takes away, leaving the back colour.
    p.chooseSelection(QStringLiteral("free selection"));
    p.lasso(QRect(0, 0, 400, 300), {{200, 100}, {320, 100}, {320, 220}, {200, 220}, {200, 101}});
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return p.enabled(QStringLiteral("Copy")); })) << "the inside was lifted";
    p.h.focus(p.window);
    p.h.key(QStringLiteral("Delete"));
    const QImage lifted = p.save(QStringLiteral("lifted"));
    ASSERT_EQ(lifted.size(), QSize(400, 300));
    EXPECT_EQ(count(lifted, QRect(220, 120, 80, 80), [](QRgb c) { return c == qRgb(255, 255, 255); }), 80 * 80);
    EXPECT_EQ(count(lifted, QRect(20, 20, 150, 60), [](QRgb c) { return c == qRgb(20, 120, 220); }), 150 * 60)
        << "outside the loop the picture stays";
    p.h.quitCleanly(p.window);
}

// A colour taken with the eyedropper shows as the first user swatch, on the
// screen, under its "R G B" name.
TEST(RibbonE2E, AnEyedropperPickShowsAsTheFirstUserSwatch)
{
    RibbonProgram p{CanvasProgram::Deferred{}};
    const QColor picked(200, 30, 40); // not one of the fixed swatches
    QImage picture(400, 300, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    for (int y = 100; y < 200; ++y)
        for (int x = 100; x < 200; ++x)
            picture.setPixelColor(x, y, picked);
    const QString path = p.h.workDir() + QStringLiteral("/red.png");
    ASSERT_TRUE(picture.save(path, "PNG"));
    p.open({path}, QStringLiteral("red"));
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();

    p.chooseTool(QStringLiteral("Eyedropper"));
    p.click({150, 150});
    const QRect swatch = p.h.controlExtents(QStringLiteral("200 30 40"), p.window);
    ASSERT_TRUE(swatch.isValid()) << "no user swatch named by the colour";
    const auto near = [&](QRgb c) {
        return std::abs(qRed(c) - 200) < 8 && std::abs(qGreen(c) - 30) < 8 && std::abs(qBlue(c) - 40) < 8;
    };
    int shown = 0;
    EXPECT_TRUE(E2EHarness::waitUntil([&] {
        const QImage screen = p.h.screenshot();
        shown = screen.rect().contains(swatch) ? count(screen, swatch, near) : 0;
        return shown > swatch.width() * swatch.height() / 5;
    })) << shown << " of " << swatch.width() * swatch.height() << " pixels show the colour";
    p.h.quitCleanly(p.window);
}

// The Brushes button shows the first brush from the start; a group's pop-up
// closes on Escape and the window's shortcuts work right after; the Show
// Grid box follows the View menu.
TEST(RibbonE2E, TheBrushesButtonPopUpsAndTheShowGridBoxFollowTheUser)
{
    RibbonProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();

    // Not a blank square: the brush preview's dark strokes show in it.
    const QRect brushes = p.h.controlExtents(QStringLiteral("Brushes"), p.window);
    ASSERT_TRUE(brushes.isValid());
    int marked = 0;
    EXPECT_TRUE(E2EHarness::waitUntil([&] {
        const QImage screen = p.h.screenshot();
        if (!screen.rect().contains(brushes))
            return false;
        // Row by row against the row's own ground at its left end (the
        // button's skin shades from top to bottom).
        marked = 0;
        const QRect inside = brushes.adjusted(4, 4, -4, -4);
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            const int ground = qGray(screen.pixel(inside.left(), y));
            for (int x = inside.left(); x <= inside.right(); ++x)
                marked += ground - qGray(screen.pixel(x, y)) > 12 ? 1 : 0;
        }
        return marked > 30;
    })) << marked << " pixels of the Brushes button show the brush's strokes";

    // Narrowed, the Paste group is a drop-down button with its title.
    p.h.run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), p.window, QStringLiteral("700"), QStringLiteral("700")});
    ASSERT_TRUE(E2EHarness::waitUntil([&] { return !p.h.findControl(QStringLiteral("Cut"), p.window, 2000).found; }));
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Paste"), p.window));
    ASSERT_TRUE(p.h.findControl(QStringLiteral("Cut")).found) << "the pop-up shows the group's controls";
    p.h.key(QStringLiteral("Escape"));
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return !p.h.findControl(QStringLiteral("Cut"), QString(), 2000).found; }))
        << "Escape closed the pop-up";
    // The window's shortcut at once: the picture turns.
    p.h.key(QStringLiteral("ctrl+r"));
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return p.h.canvasExtents(p.window, 5000).size() == QSize(300, 400); }))
        << "Rotate Right's shortcut reached the window";
    // A click outside closes it too.
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Paste"), p.window));
    ASSERT_TRUE(p.h.findControl(QStringLiteral("Cut")).found);
    const QRect title = p.h.controlExtents(QStringLiteral("Tools group"), p.window);
    ASSERT_TRUE(title.isValid());
    p.h.mouseMove(title.center().x(), title.center().y());
    p.h.click(1);
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return !p.h.findControl(QStringLiteral("Cut"), QString(), 2000).found; }))
        << "a click outside closed the pop-up";

    // The View tab's box and the View menu's item.
    p.h.run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), p.window, QStringLiteral("1200"), QStringLiteral("700")});
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("View Tab"), p.window));
    ASSERT_TRUE(p.h.findControl(QStringLiteral("Show Grid"), p.window).found);
    EXPECT_FALSE(p.h.findControl(QStringLiteral("Show Grid"), p.window).isChecked());
    p.h.focus(p.window);
    p.h.key(QStringLiteral("alt+v"));
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Show Gridlines")));
    EXPECT_TRUE(E2EHarness::waitUntil([&] { return p.h.findControl(QStringLiteral("Show Grid"), p.window, 5000).isChecked(); }))
        << "the box follows the menu";

    // The window toolbar: shown by its box; with the ribbon hidden, its
    // Fill tool fills the picture.
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Show Toolbar"), p.window));
    ASSERT_TRUE(p.h.findControl(QStringLiteral("Toolbar Tools"), p.window).found) << "the toolbar shows";
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Hide Tool Panel"), p.window));
    ASSERT_TRUE(E2EHarness::waitUntil([&] { return !p.h.findControl(QStringLiteral("Show Grid"), p.window, 2000).found; }));
    p.chooseTool(QStringLiteral("Fill"));
    p.canvas = p.h.canvasExtents(p.window);
    p.click({200, 150});
    const QImage filled = p.save(QStringLiteral("filled"));
    ASSERT_EQ(filled.size(), QSize(300, 400)) << "turned right above; " << p.h.standardError().toStdString();
    EXPECT_EQ(pixelsOtherThan(filled, qRgb(0, 0, 0)), 0) << "the toolbar's Fill filled the picture";
    p.h.quitCleanly(p.window);
}
