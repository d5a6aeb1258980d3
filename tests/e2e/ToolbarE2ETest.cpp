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

int count(const QImage& picture, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += picture.pixel(x, y) == colour;
    return n;
}

struct ToolbarProgram : CanvasProgram {
    ToolbarProgram() : CanvasProgram(Deferred{}) { open({writeSquarePicture(h.workDir())}, QStringLiteral("square.png")); }

    // Chooses the entry at that place (from 1) of a toolbar pop-up button's
    // menu. The accessibility bridge leaves pop-up menus out of the tree, so
    // the entry is reached with the keyboard.
    void choosePopUpEntry(const QString& button, int place)
    {
        ASSERT_TRUE(h.clickControl(button, window)) << button.toStdString();
        for (int i = 0; i < place; ++i)
            h.key(QStringLiteral("Down"));
        h.key(QStringLiteral("Return"));
        EXPECT_TRUE(E2EHarness::waitUntil([&] { return h.findControl(button, window, 5000).isChecked(); }))
            << button.toStdString() << " shows that its tool is current";
    }
};

} // namespace

// The View menu's Show Toolbar shows the window toolbar (the menu then
// offers to hide it and the view tab's box is ticked); tools chosen in the
// toolbar's pop-up buttons are the ones that then work on the picture.
TEST(ToolbarE2E, ShowToolbarShowsTheToolbarAndItsToolsBecomeCurrent)
{
    ToolbarProgram p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    ASSERT_TRUE(p.canvas.isValid()) << "no canvas on the screen";
    EXPECT_FALSE(p.h.findControl(QStringLiteral("Toolbar Tools"), p.window, 2000).found) << "hidden at first";

    p.h.focus(p.window);
    p.h.key(QStringLiteral("alt+v"));
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Show Toolbar")));
    ASSERT_TRUE(p.h.findControl(QStringLiteral("Toolbar Tools"), p.window).found) << "the toolbar shows";
    p.h.focus(p.window);
    p.h.key(QStringLiteral("alt+v"));
    EXPECT_TRUE(p.h.findControl(QStringLiteral("Hide Toolbar"), QString(), 5000).found) << "the menu offers to hide it";
    p.h.key(QStringLiteral("Escape"));
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("View Tab"), p.window));
    EXPECT_TRUE(E2EHarness::waitUntil(
        [&] { return p.h.findControl(QStringLiteral("Show Toolbar"), p.window, 5000).isChecked(); }))
        << "the view tab's box follows the menu";

    // With the ribbon hidden, only the toolbar offers tools.
    ASSERT_TRUE(p.h.clickControl(QStringLiteral("Hide Tool Panel"), p.window));
    ASSERT_TRUE(E2EHarness::waitUntil(
        [&] { return !p.h.findControl(QStringLiteral("Show Toolbar"), p.window, 2000).found; }));
    for (const QString& item : {QStringLiteral("Zoom"), QStringLiteral("Shape"), QStringLiteral("Selection"),
                                QStringLiteral("Line Width"), QStringLiteral("Fonts"), QStringLiteral("Print")})
        EXPECT_TRUE(p.h.findControl(item, p.window, 5000).found) << item.toStdString();
    p.canvas = p.h.canvasExtents(p.window);
    ASSERT_TRUE(p.canvas.isValid());

    // The Selection pop-up's first entry, the rectangle selection: the
    // square, selected with a margin, moves 150 to the right.
    p.choosePopUpEntry(QStringLiteral("Selection"), 1);
    p.drag({40, 40}, {120, 120});
    p.drag({80, 80}, {230, 80});
    // The Shape pop-up's first entry, the line: a line across the bottom.
    // Choosing it puts the selection down.
    p.choosePopUpEntry(QStringLiteral("Shape"), 1);
    EXPECT_FALSE(p.h.findControl(QStringLiteral("Selection"), p.window).isChecked());
    p.drag({20, 250}, {380, 250});
    p.click({200, 20}); // a press outside puts the line down

    const QImage drawn = p.save(QStringLiteral("drawn"));
    ASSERT_EQ(drawn.size(), QSize(400, 300)) << p.h.standardError().toStdString();
    EXPECT_EQ(count(drawn, QRect(200, 50, 60, 60), kBlack), 60 * 60) << "the square moved";
    EXPECT_EQ(count(drawn, QRect(40, 40, 80, 80), kWhite), 80 * 80) << "the back colour where it was";
    EXPECT_EQ(count(drawn, QRect(0, 0, 400, 200), kBlack), 60 * 60) << "nothing else is black above the line";
    int lineColumns = 0;
    for (int x = 30; x <= 370; ++x)
        lineColumns += count(drawn, QRect(x, 246, 1, 9), kWhite) < 9 ? 1 : 0;
    EXPECT_EQ(lineColumns, 341) << "the line crosses the picture";
    p.h.quitCleanly(p.window);
}
