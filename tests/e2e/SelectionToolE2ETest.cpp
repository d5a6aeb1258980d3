#include "CanvasProgram.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kBlack = 0xff000000u;

// A white 400 x 300 picture with a black square at (50, 50)-(109, 109).
QString writeSquarePicture(const QString& folder)
{
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(QRect(50, 50, 60, 60), Qt::black);
    const QString path = folder + QStringLiteral("/square.png");
    return picture.save(path) ? path : QString();
}

// The program on that picture.
struct SelectionProgram : CanvasProgram {
    SelectionProgram() : CanvasProgram(Deferred{}) { open({writeSquarePicture(h.workDir())}, QStringLiteral("square.png")); }
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
