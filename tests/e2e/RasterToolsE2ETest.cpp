#include "E2EHarness.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A picture as ImageMagick decodes it: 8-bit R, G, B, A per pixel.
struct Picture {
    QImage image;
    int width = 0;
    int height = 0;
    bool valid() const { return !image.isNull(); }
    QRgb at(int x, int y) const { return image.pixel(x, y); }
};

constexpr QRgb kWhite = 0xffffffffu;
constexpr int kDeadlineMs = 60000;
constexpr QRgb kBlack = 0xff000000u;

// Decoded by ImageMagick, not by the program's own decoder.
Picture decode(E2EHarness& h, const QString& path)
{
    const QImage image = h.decodeIndependently(path);
    return {image, image.width(), image.height()};
}

struct Program {
    // The program with a blank picture, or with a picture file.
    explicit Program(const QString& picture = {})
    {
        if (!h.launch(picture.isEmpty() ? QStringList() : QStringList{picture}))
            return;
        window = h.waitForWindow(picture.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(picture).fileName());
        if (window.isEmpty())
            return;
        h.focus(window);
        waitForCanvas();
    }

    // Waits until the window's canvas shows and takes where it is.
    bool waitForCanvas()
    {
        canvas = h.canvasExtents(window);
        return canvas.isValid();
    }

    // Clicks the control of a tool, found by the tool's label.
    void chooseTool(const QString& label) { EXPECT_TRUE(h.chooseControl(label, window)) << label.toStdString(); }

    QPoint onScreen(QPoint canvasPoint) const { return canvas.topLeft() + canvasPoint; }

    // A drag through canvas points with one button.
    void drag(const std::vector<QPoint>& points, int button = 1)
    {
        h.mouseMove(onScreen(points.front()).x(), onScreen(points.front()).y());
        h.mouseDown(button);
        for (size_t i = 1; i < points.size(); ++i) {
            const QPoint from = onScreen(points[i - 1]);
            const QPoint to = onScreen(points[i]);
            for (int s = 1; s <= 8; ++s)
                h.mouseMove(from.x() + (to.x() - from.x()) * s / 8, from.y() + (to.y() - from.y()) * s / 8);
        }
        h.mouseUp(button);
    }
    void click(QPoint canvasPoint)
    {
        h.mouseMove(onScreen(canvasPoint).x(), onScreen(canvasPoint).y());
        h.click(1);
    }
    void key(const QString& keys)
    {
        h.focus(window);
        h.key(keys);
    }

    // Save As under a new name; the picture as ImageMagick reads it back.
    Picture save(const QString& name)
    {
        const QString written = h.saveAs(window, h.workDir() + QLatin1Char('/') + name);
        return written.isEmpty() ? Picture() : decode(h, written);
    }

    E2EHarness h;
    QString window;
    // The picture on the screen (at 100 %).
    QRect canvas;
};

QImage whiteSquare()
{
    QImage white(17, 17, QImage::Format_RGB32);
    white.fill(Qt::white);
    return white;
}

// Pixels that differ between two pictures, outside those a rule excuses.
int differences(const Picture& a, const Picture& b, const std::function<bool(int, int)>& excused = {})
{
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if ((!excused || !excused(x, y)) && a.at(x, y) != b.at(x, y))
                ++n;
    return n;
}

// The 4-connected area of exactly the colour at a seed.
std::vector<bool> areaAround(const Picture& p, QPoint seed)
{
    std::vector<bool> in(size_t(p.width) * p.height, false);
    const QRgb colour = p.at(seed.x(), seed.y());
    std::vector<QPoint> stack{seed};
    in[size_t(seed.y()) * p.width + seed.x()] = true;
    while (!stack.empty()) {
        const QPoint q = stack.back();
        stack.pop_back();
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint n = q + d;
            if (n.x() < 0 || n.y() < 0 || n.x() >= p.width || n.y() >= p.height)
                continue;
            const size_t i = size_t(n.y()) * p.width + n.x();
            if (!in[i] && p.at(n.x(), n.y()) == colour) {
                in[i] = true;
                stack.push_back(n);
            }
        }
    }
    return in;
}

} // namespace

// The pixel-grid selections have no control in the window: their moves,
// commits and undo steps are checked below the window (SWSelectionTool's
// tests).
TEST(RasterToolsE2E, PencilAndFillOnTheRealProgram)
{
    Program p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_EQ(p.canvas.size(), QSize(400, 300)) << "no canvas on the screen";

    // A pencil drag (the brush is the first tool): black along the path.
    p.chooseTool(QStringLiteral("Eraser"));
    p.chooseTool(QStringLiteral("Brush"));
    p.drag({{40, 40}, {200, 40}, {200, 150}});
    const Picture stroked = p.save(QStringLiteral("stroke"));
    ASSERT_TRUE(stroked.valid()) << p.h.standardError().toStdString();
    ASSERT_EQ(stroked.width, 400);
    ASSERT_EQ(stroked.height, 300);
    for (int x = 44; x <= 196; x += 4)
        EXPECT_EQ(stroked.at(x, 40), kBlack) << x;
    for (int y = 44; y <= 146; y += 4)
        EXPECT_EQ(stroked.at(200, y), kBlack) << y;
    EXPECT_EQ(stroked.at(120, 100), kWhite);
    EXPECT_EQ(stroked.at(300, 40), kWhite);

    // Undo removes exactly the stroke.
    p.key(QStringLiteral("ctrl+z"));
    const Picture undone = p.save(QStringLiteral("undone"));
    ASSERT_TRUE(undone.valid());
    int notWhite = 0;
    for (int y = 0; y < undone.height; ++y)
        for (int x = 0; x < undone.width; ++x)
            notWhite += undone.at(x, y) != kWhite;
    EXPECT_EQ(notWhite, 0);

    // A closed outline, then a fill click inside it: exactly the white area
    // the outline encloses turns black.
    p.drag({{60, 60}, {160, 60}, {160, 140}, {60, 140}, {60, 60}});
    const Picture outlined = p.save(QStringLiteral("outlined"));
    ASSERT_TRUE(outlined.valid());
    p.chooseTool(QStringLiteral("Fill"));
    p.click({110, 100});
    const Picture filled = p.save(QStringLiteral("filled"));
    ASSERT_TRUE(filled.valid());
    const std::vector<bool> inside = areaAround(outlined, {110, 100});
    EXPECT_FALSE(inside[size_t(10) * 400 + 10]) << "the outline must enclose the area";
    EXPECT_GT(std::count(inside.begin(), inside.end(), true), 90 * 70);
    int wrong = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            wrong += filled.at(x, y) != (inside[size_t(y) * 400 + x] ? kBlack : outlined.at(x, y));
    EXPECT_EQ(wrong, 0);

    // A right-button drag paints the back colour (white) over the black.
    p.chooseTool(QStringLiteral("Brush"));
    p.drag({{80, 100}, {140, 100}}, 3);
    const Picture rightDragged = p.save(QStringLiteral("right"));
    ASSERT_TRUE(rightDragged.valid());
    for (int x = 84; x <= 136; x += 4)
        EXPECT_EQ(rightDragged.at(x, 100), kWhite) << x;
    EXPECT_EQ(rightDragged.at(110, 80), kBlack);

    p.key(QStringLiteral("ctrl+q"));
    EXPECT_EQ(p.h.waitForExit(), 0);
    EXPECT_FALSE(p.h.stderrHasSanitizerReport()) << p.h.standardError().toStdString();
}

// The timed tools stop with their document: a window closed while the
// airbrush sprays and while a bomb explodes. (The floating pixel-grid
// selection's border timer is checked below the window.)
TEST(RasterToolsE2E, ClosingAWindowMidTimedWorkIsClean)
{
    Program p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_TRUE(p.canvas.isValid());
    const QRect home = p.h.windowGeometry(p.window);
    for (const QString& tool : {QStringLiteral("Airbrush"), QStringLiteral("Bomb")}) {
        SCOPED_TRACE(tool.toStdString());
        // A second window keeps the program running when this one closes;
        // it waits out of the way.
        const QStringList before = p.h.visibleWindows(QStringLiteral("Untitled"));
        p.key(QStringLiteral("ctrl+n"));
        // A new picture asks for its size first: the offered one will do.
        const QString sheet = p.h.waitForWindow(QStringLiteral("^Picture Size$"));
        ASSERT_FALSE(sheet.isEmpty()) << p.h.standardError().toStdString();
        p.h.focus(sheet);
        p.h.key(QStringLiteral("Return"));
        QString spare;
        QElapsedTimer timer;
        timer.start();
        while (spare.isEmpty() && timer.elapsed() < kDeadlineMs) {
            for (const QString& id : p.h.visibleWindows(QStringLiteral("Untitled")))
                if (!before.contains(id))
                    spare = id;
            QThread::msleep(100);
        }
        ASSERT_FALSE(spare.isEmpty()) << p.h.standardError().toStdString();
        p.h.run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), spare, QStringLiteral("1200"),
                                             QStringLiteral("1000")});
        p.h.run(QStringLiteral("xdotool"), {QStringLiteral("windowraise"), p.window});
        p.h.focus(p.window);
        ASSERT_TRUE(p.waitForCanvas());

        p.chooseTool(tool);
        const QPoint centre = p.onScreen({100, 100});
        if (tool == QLatin1String("Airbrush")) {
            p.h.mouseMove(centre.x(), centre.y());
            p.h.mouseDown(1); // held while the window closes
            // Sprayed dots show: the timer runs.
            QElapsedTimer spraying;
            spraying.start();
            while (spraying.elapsed() < kDeadlineMs &&
                   p.h.screenshot().copy(QRect(centre - QPoint(8, 8), QSize(17, 17))).convertToFormat(QImage::Format_RGB32) ==
                       whiteSquare())
                QThread::msleep(100);
        } else {
            // With Shift the explosion grows slowly: it runs for seconds.
            p.h.run(QStringLiteral("xdotool"), {QStringLiteral("keydown"), QStringLiteral("shift")});
            p.click({100, 100});
            p.h.run(QStringLiteral("xdotool"), {QStringLiteral("keyup"), QStringLiteral("shift")});
        }
        p.key(QStringLiteral("ctrl+w"));
        // The work is committed first, so the picture is edited and the
        // program asks: "Don't Save".
        const QString alert = p.h.waitForWindow(QStringLiteral("^Velumo$"));
        ASSERT_FALSE(alert.isEmpty()) << p.h.standardError().toStdString();
        p.h.focus(alert);
        p.h.key(QStringLiteral("ctrl+d"));
        if (tool == QLatin1String("Airbrush"))
            p.h.mouseUp(1);
        timer.restart();
        while (timer.elapsed() < kDeadlineMs && p.h.visibleWindows().contains(p.window))
            QThread::msleep(100);
        ASSERT_FALSE(p.h.visibleWindows().contains(p.window));
        QThread::msleep(300); // ticks would come now, if anything still ran
        ASSERT_TRUE(p.h.isRunning()) << p.h.standardError().toStdString();

        p.window = spare;
        p.h.run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), spare, QString::number(home.x()),
                                             QString::number(home.y())});
        p.h.focus(p.window);
        ASSERT_TRUE(p.waitForCanvas());
    }
    p.key(QStringLiteral("ctrl+q"));
    EXPECT_EQ(p.h.waitForExit(), 0);
    EXPECT_FALSE(p.h.stderrHasSanitizerReport()) << p.h.standardError().toStdString();
}

namespace {

// A white 400 x 300 picture with a black square at (60, 60) and a red one
// at (300, 200), each 40 pixels wide.
QString writeSquares(E2EHarness& h, const QString& name)
{
    QImage picture(400, 300, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            picture.setPixel(60 + x, 60 + y, kBlack);
            picture.setPixel(300 + x, 200 + y, qRgb(255, 0, 0));
        }
    }
    const QString path = h.workDir() + QLatin1Char('/') + name;
    picture.save(path, "PNG");
    return path;
}

// Waits until the file, as ImageMagick reads it, passes the check.
bool waitForPicture(E2EHarness& h, const QString& path, const std::function<bool(const Picture&)>& check)
{
    QElapsedTimer timer;
    timer.start();
    do {
        const Picture p = decode(h, path);
        if (p.valid() && check(p))
            return true;
        QThread::msleep(200);
    } while (timer.elapsed() < kDeadlineMs);
    return false;
}

// The black square lifted with the selection the window offers (the Image
// group's rectangle selection) and dragged 150 pixels right, left floating.
void floatTheBlackSquare(Program& p)
{
    p.chooseTool(QStringLiteral("rectangle selection"));
    p.drag({{50, 50}, {110, 110}});
    p.drag({{80, 80}, {230, 80}});
}

bool squareMoved(const Picture& p)
{
    return p.at(230, 80) == kBlack && p.at(80, 80) == kWhite;
}

} // namespace

// A colour picked with the eyedropper becomes the colour the tools paint with.
TEST(RasterToolsE2E, TheEyedroppersColourIsThePencilsColour)
{
    E2EHarness h0;
    const QString picture = writeSquares(h0, QStringLiteral("squares.png"));
    Program p(picture);
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_TRUE(p.canvas.isValid());
    p.chooseTool(QStringLiteral("Eyedropper"));
    p.click({320, 220});
    p.chooseTool(QStringLiteral("Brush"));
    p.drag({{40, 150}, {200, 150}});
    const Picture painted = p.save(QStringLiteral("painted"));
    ASSERT_TRUE(painted.valid()) << p.h.standardError().toStdString();
    for (int x = 44; x <= 196; x += 8)
        EXPECT_EQ(painted.at(x, 150), qRgb(255, 0, 0)) << x;
    p.key(QStringLiteral("ctrl+q"));
    EXPECT_EQ(p.h.waitForExit(), 0);
    EXPECT_FALSE(p.h.stderrHasSanitizerReport()) << p.h.standardError().toStdString();
}

// Save and Close take the current tool's unfinished work (a floating
// selection) into the picture before they look at the edited state.
TEST(RasterToolsE2E, SaveAndCloseCommitTheFloatingSelectionFirst)
{
    E2EHarness h0;
    const QString picture = writeSquares(h0, QStringLiteral("work.png"));
    {
        // A plain Save writes the moved square and leaves nothing unsaved:
        // the window then closes without asking, ending the program.
        Program p(picture);
        ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
        ASSERT_TRUE(p.canvas.isValid());
        floatTheBlackSquare(p);
        p.key(QStringLiteral("ctrl+s"));
        EXPECT_TRUE(waitForPicture(p.h, picture, squareMoved));
        p.key(QStringLiteral("ctrl+w"));
        EXPECT_EQ(p.h.waitForExit(), 0) << "the saved picture still counted as edited";
    }
    writeSquares(h0, QStringLiteral("work.png"));
    {
        // Close with the square floating: the program asks, and Save
        // writes the moved square.
        Program p(picture);
        ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
        ASSERT_TRUE(p.canvas.isValid());
        floatTheBlackSquare(p);
        p.key(QStringLiteral("ctrl+w"));
        const QString alert = p.h.waitForWindow(QStringLiteral("^Velumo$"));
        ASSERT_FALSE(alert.isEmpty()) << "closed without asking";
        p.h.focus(alert);
        p.h.key(QStringLiteral("Return"));
        EXPECT_TRUE(waitForPicture(p.h, picture, squareMoved));
        EXPECT_EQ(p.h.waitForExit(), 0);
        EXPECT_FALSE(p.h.stderrHasSanitizerReport()) << p.h.standardError().toStdString();
    }
}

// Revert to Saved ends the floating selection: nothing of it lands on the
// picture read back.
TEST(RasterToolsE2E, RevertDropsTheFloatingSelection)
{
    E2EHarness h0;
    const QString picture = writeSquares(h0, QStringLiteral("revert.png"));
    Program p(picture);
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_TRUE(p.canvas.isValid());
    p.chooseTool(QStringLiteral("Brush"));
    p.drag({{40, 200}, {200, 200}}); // an edit, so that there is something to revert
    floatTheBlackSquare(p);
    p.key(QStringLiteral("alt+f"));
    p.h.key(QStringLiteral("v"));
    const QString alert = p.h.waitForWindow(QStringLiteral("^Velumo$"));
    ASSERT_FALSE(alert.isEmpty()) << p.h.standardError().toStdString();
    p.h.focus(alert);
    p.h.key(QStringLiteral("Return"));
    ASSERT_TRUE(p.h.waitForNoWindow(QStringLiteral("^Velumo$")));
    p.click({20, 280}); // would put down a selection that still floated
    const Picture reverted = p.save(QStringLiteral("reverted"));
    ASSERT_TRUE(reverted.valid()) << p.h.standardError().toStdString();
    EXPECT_EQ(differences(reverted, decode(p.h, picture)), 0);
    p.key(QStringLiteral("ctrl+q"));
    EXPECT_EQ(p.h.waitForExit(), 0);
    EXPECT_FALSE(p.h.stderrHasSanitizerReport()) << p.h.standardError().toStdString();
}
