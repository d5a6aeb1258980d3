#include "KZToolboxController.h"
#include "SWImageTools.h"
#include "support/DocumentWindowFixture.h"

#include "platform/appkit/Beep.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/ModifierFlags.h"

#include <QMenu>
#include <QMimeData>
#include <gtest/gtest.h>

using platform::ModifierFlags::Control;
using platform::ModifierFlags::Option;
using platform::ModifierFlags::Shift;

namespace {
struct Expected {
    int phase;
    QPointF point;
    uint64_t flags;
};

void expectCalls(const RecordingTool* tool, const std::vector<Expected>& expected)
{
    ASSERT_EQ(tool->calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tool->calls[i].phase, expected[i].phase);
        EXPECT_NEAR(tool->calls[i].point.x(), expected[i].point.x(), 1e-6);
        EXPECT_NEAR(tool->calls[i].point.y(), expected[i].point.y(), 1e-6);
        EXPECT_EQ(tool->calls[i].flags, expected[i].flags);
        // The saved point is the press point for the whole gesture.
        EXPECT_NEAR(tool->calls[i].savedPoint.x(), expected[0].point.x(), 1e-6);
    }
}
} // namespace

TEST(CanvasEventRoad, LeftDragReachesTheToolAsPhasesWithFlags)
{
    DocumentWindowFixture f;
    RecordingTool* brush = f.current();
    ASSERT_NE(brush, nullptr);
    f.mouse(QEvent::MouseButtonPress, {10.5, 10.5}, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {20.5, 15.5}, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    f.mouse(QEvent::MouseMove, {30.5, 20.5}, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    f.mouse(QEvent::MouseButtonRelease, {30.5, 20.5}, Qt::LeftButton, Qt::NoButton);
    expectCalls(brush, {{0, {10.5, 10.5}, 0},
                        {1, {20.5, 15.5}, Shift},
                        {1, {30.5, 20.5}, Shift | platform::ModifierFlags::Command},
                        {2, {30.5, 20.5}, 0}});
    EXPECT_EQ(brush->lastDataSource, f.document->dataSource());
    // A plain move between gestures goes to mouseHasMoved.
    f.mouse(QEvent::MouseMove, {5.5, 6.5}, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(brush->moves.size(), 1u);
    EXPECT_NEAR(brush->moves[0].x(), 5.5, 1e-6);
}

TEST(CanvasEventRoad, RightDragArrivesAsLeftDragWithOptionOrControl)
{
    DocumentWindowFixture f({"Brush", "Rectangle Selection"}, "Rectangle Selection");
    RecordingTool* brush = f.current();
    f.mouse(QEvent::MouseButtonPress, {40, 30}, Qt::RightButton, Qt::RightButton);
    f.mouse(QEvent::MouseMove, {50, 35}, Qt::NoButton, Qt::RightButton);
    f.mouse(QEvent::MouseButtonRelease, {50, 35}, Qt::RightButton, Qt::NoButton);
    expectCalls(brush, {{0, {40, 30}, Option}, {1, {50, 35}, Option}, {2, {50, 35}, Option}});

    // A tool with a context menu gets Control instead.
    f.document->toolboxController()->chooseToolWithLabel("Rectangle Selection");
    RecordingTool* selection = f.current();
    ASSERT_EQ(selection->description(), "Rectangle Selection");
    f.mouse(QEvent::MouseButtonPress, {40, 30}, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
    f.mouse(QEvent::MouseMove, {60, 45}, Qt::NoButton, Qt::RightButton, Qt::ShiftModifier);
    f.mouse(QEvent::MouseButtonRelease, {60, 45}, Qt::RightButton, Qt::NoButton, Qt::ShiftModifier);
    expectCalls(selection,
                {{0, {40, 30}, Shift | Control}, {1, {60, 45}, Shift | Control}, {2, {60, 45}, Shift | Control}});
}

TEST(CanvasEventRoad, RightClickWithAContextMenuToolShowsTheCanvasMenu)
{
    DocumentWindowFixture f({"Brush", "Rectangle Selection"}, "Rectangle Selection");
    f.document->toolboxController()->chooseToolWithLabel("Rectangle Selection");
    f.mouse(QEvent::MouseButtonPress, {40, 30}, Qt::RightButton, Qt::RightButton);
    f.mouse(QEvent::MouseButtonRelease, {40, 30}, Qt::RightButton, Qt::NoButton);
    QApplication::processEvents();
    QMenu* shown = nullptr;
    for (QMenu* menu : f.paintView()->findChildren<QMenu*>())
        if (menu->isVisible())
            shown = menu;
    ASSERT_NE(shown, nullptr);
    QStringList titles;
    for (QAction* action : shown->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(titles, QStringList({"Cut", "Copy", "Paste", "-", "Zoom In", "Zoom Out", "Actual Size"}));
    EXPECT_FALSE(shown->actions().at(1)->isEnabled()) << "Copy without a placed element";
    shown->close();
}

TEST(CanvasEventRoad, EscapeMidDragEndsTheGestureWithoutPhaseTwo)
{
    DocumentWindowFixture f;
    RecordingTool* brush = f.current();
    f.mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {12, 12}, Qt::NoButton, Qt::LeftButton);
    // A preview in the buffer is dropped by Escape.
    f.document->dataSource()->bufferImage().fill(Qt::red);
    const int tieUps = brush->tieUps;
    f.key(Qt::Key_Escape);
    EXPECT_FALSE(f.paintView()->isPayingAttention());
    f.mouse(QEvent::MouseMove, {14, 14}, Qt::NoButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, {14, 14}, Qt::LeftButton, Qt::NoButton);
    expectCalls(brush, {{0, {10, 10}, 0}, {1, {12, 12}, 0}});
    EXPECT_EQ(brush->tieUps, tieUps + 1);
    EXPECT_EQ(f.document->dataSource()->bufferImage().pixelColor(5, 5).alpha(), 0);
    EXPECT_FALSE(f.document->undoManager()->canUndo());
    // The next press starts a new gesture.
    f.mouse(QEvent::MouseButtonPress, {3, 4}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(brush->calls.size(), 3u);
}

TEST(CanvasEventRoad, DeleteDropsTheSelectionAndOtherKeysReachTheTool)
{
    DocumentWindowFixture f;
    RecordingTool* brush = f.current();
    const int tieUps = brush->tieUps;
    f.key(Qt::Key_Delete);
    f.key(Qt::Key_Backspace);
    EXPECT_EQ(brush->deletes, 2);
    EXPECT_EQ(brush->tieUps, tieUps + 2);
    EXPECT_TRUE(brush->calls.empty());

    f.key(Qt::Key_A); // a tool without key handling: nothing reaches it
    EXPECT_TRUE(brush->keys.empty());
    brush->setHandlesKeys(true);
    f.key(Qt::Key_Return);
    EXPECT_EQ(brush->keys, std::vector<int>{Qt::Key_Return});
}

TEST(CanvasEventRoad, SettingsChangeRedrawsTheDocumentOnce)
{
    DocumentWindowFixture f({"Brush", "Line", "Eraser"});
    QApplication::processEvents();
    RecordingTool* brush = f.current();
    const int draws = brush->draws;
    f.document->toolboxController()->setLineWidth(9);
    EXPECT_EQ(brush->draws, draws) << "the redraw comes with the next turn of the event loop";
    QApplication::processEvents();
    EXPECT_EQ(brush->draws, draws + 1);
    EXPECT_EQ(f.tool("Line")->lineWidth(), 9.0);
}

TEST(CanvasEventRoad, ARegistryBuiltBeforeTheWindowSwitchesSafely)
{
    // No views and no registry in the document yet: the first switch of
    // the new registry must not reach into either.
    SWDocument document;
    SWToolbox box(&document, document.toolboxController(), recordingToolClasses({"Brush", "Line"}));
    document.toolboxController()->setCurrentTool("Line");
    EXPECT_EQ(box.currentTool()->description(), "Line");
    QApplication::processEvents();
}

TEST(CanvasEventRoad, UnreadableDropsBeepAndChangeNothing)
{
    DocumentWindowFixture f;
    const QSizeF before = f.document->dataSource()->canvasSize();
    const int beeps = platform::Beep::count();
    QMimeData garbage;
    garbage.setData(QStringLiteral("image/png"), QByteArray("not a picture"));
    EXPECT_FALSE(f.paintView()->performDragOperation(&garbage, QPointF(5, 5)));
    EXPECT_EQ(platform::Beep::count(), beeps + 1);
    EXPECT_EQ(f.document->dataSource()->canvasSize(), before);
    EXPECT_FALSE(f.document->undoManager()->canUndo());

    QMimeData picture;
    QImage red(30, 20, QImage::Format_RGBA8888_Premultiplied);
    red.fill(Qt::red);
    picture.setImageData(red);
    EXPECT_TRUE(f.paintView()->performDragOperation(&picture, QPointF(390, 5)));
    EXPECT_EQ(f.document->dataSource()->canvasSize(), QSizeF(420, 300));
}
