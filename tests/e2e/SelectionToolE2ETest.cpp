#include "E2EHarness.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kBlack = 0xff000000u;

// The program on a white 400 x 300 picture with a black square at
// (50, 50)-(109, 109), its canvas found through the accessibility tree.
struct SelectionProgram {
    SelectionProgram()
    {
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter(&picture).fillRect(QRect(50, 50, 60, 60), Qt::black);
        const QString path = h.workDir() + QStringLiteral("/square.png");
        if (!picture.save(path) || !h.launch({path}))
            return;
        window = h.waitForWindow(QStringLiteral("square.png"));
        if (window.isEmpty())
            return;
        h.focus(window);
        canvas = h.canvasExtents(window);
    }

    void chooseTool(const QString& label) { EXPECT_TRUE(h.chooseControl(label, window)) << label.toStdString(); }

    QPoint onScreen(QPoint canvasPoint) const { return canvas.topLeft() + canvasPoint; }

    void drag(QPoint from, QPoint to)
    {
        h.mouseMove(onScreen(from).x(), onScreen(from).y());
        h.mouseDown(1);
        for (int s = 1; s <= 10; ++s) {
            const QPoint p = from + (to - from) * s / 10;
            h.mouseMove(onScreen(p).x(), onScreen(p).y());
        }
        h.mouseUp(1);
    }

    QImage save(const QString& name)
    {
        const QString written = h.saveAs(window, h.workDir() + QLatin1Char('/') + name);
        return written.isEmpty() ? QImage() : h.decodeIndependently(written);
    }

    E2EHarness h;
    QString window;
    QRect canvas;
};

// Pixels of a colour inside a rectangle of the picture.
int count(const QImage& picture, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += picture.pixel(x, y) == colour;
    return n;
}

} // namespace

// The square, selected with a margin and dragged 150 to the right, is saved
// at its new place with the back colour at the old one; one undo puts it
// back.
TEST(SelectionToolE2E, ASelectedRectangleMovedSavedAndUndone)
{
    SelectionProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_TRUE(p.canvas.isValid()) << "no canvas on the screen";

    p.chooseTool(QStringLiteral("rectangle selection"));
    p.drag({40, 40}, {120, 120});
    p.drag({80, 80}, {230, 80});
    // Saving commits the floating selection first.
    const QImage moved = p.save(QStringLiteral("moved"));
    ASSERT_FALSE(moved.isNull()) << p.h.standardError().toStdString();
    ASSERT_EQ(moved.size(), QSize(400, 300));
    EXPECT_EQ(count(moved, QRect(200, 50, 60, 60), kBlack), 60 * 60);
    EXPECT_EQ(count(moved, QRect(0, 0, 400, 300), kBlack), 60 * 60) << "nothing else is black";
    EXPECT_EQ(count(moved, QRect(40, 40, 80, 80), kWhite), 80 * 80);

    p.h.focus(p.window);
    p.h.key(QStringLiteral("ctrl+z"));
    const QImage undone = p.save(QStringLiteral("undone"));
    ASSERT_FALSE(undone.isNull()) << p.h.standardError().toStdString();
    EXPECT_EQ(count(undone, QRect(50, 50, 60, 60), kBlack), 60 * 60);
    EXPECT_EQ(count(undone, QRect(0, 0, 400, 300), kBlack), 60 * 60);
    p.h.quitCleanly(p.window);
}
