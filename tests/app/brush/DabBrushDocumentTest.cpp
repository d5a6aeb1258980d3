// The brush tool and the chooser in a document window: the brush loaded at
// start, gestures through the canvas's event road, undo, the back colour,
// and a choice in the chooser.
#include "DabBrushResource.h"
#include "DabBrushTool.h"
#include "KZDabBrushListButton.h"
#include "KZDabBrushListView.h"
#include "KZPopupButtonAdv.h"
#include "KZTexturalButton.h"
#include "KZToolboxPanel.h"
#include "KZOverlayView.h"
#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWPaintView.h"
#include "SWToolbox.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

struct BrushDocument {
    BrushDocument()
    {
        platform::UserDefaults::standard().registerDefaults({{QStringLiteral("UndoLevels"), 128}});
        platform::DocumentController::shared().setQuitsWhenLastDocumentCloses(false);
        document = new SWDocument;
        platform::DocumentController::shared().addDocument(document);
        document->makeWindowControllers();
        document->showWindows();
        document->window()->resize(1000, 700);
        QApplication::processEvents();
        document->toolboxController()->chooseToolWithLabel(QStringLiteral("Brushes"));
    }
    ~BrushDocument()
    {
        document->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    DabBrushTool* tool() const
    {
        return dynamic_cast<DabBrushTool*>(document->toolbox()->toolForLabel(QStringLiteral("Brushes")));
    }
    QImage& image() const { return document->dataSource()->mainImage(); }

    // A mouse event at a canvas point, sent where the window would send it.
    void mouse(QEvent::Type type, const QPointF& canvas, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        KZOverlayView* overlay = document->overlayView();
        SWPaintView* paintView = document->paintView();
        const QPointF local = overlay->mapFromGlobal(paintView->mapToGlobal(canvas * paintView->viewScale()));
        QMouseEvent event(type, local, overlay->mapTo(overlay->window(), local), overlay->mapToGlobal(local), button,
                          buttons, Qt::NoModifier);
        event.setTimestamp(ulong(m_clockMs += 12));
        QCoreApplication::sendEvent(overlay, &event);
        // A right-button event comes back re-posted as a left one with Option.
        QCoreApplication::sendPostedEvents();
    }
    void press(const QPointF& p, Qt::MouseButton b = Qt::LeftButton) { mouse(QEvent::MouseButtonPress, p, b, b); }
    void drag(const QPointF& p, Qt::MouseButton b = Qt::LeftButton) { mouse(QEvent::MouseMove, p, Qt::NoButton, b); }
    void release(const QPointF& p, Qt::MouseButton b = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonRelease, p, b, Qt::NoButton);
        QApplication::processEvents(); // the event's undo group closes
    }
    void stroke(const QPointF& a, const QPointF& b, Qt::MouseButton button = Qt::LeftButton)
    {
        press(a, button);
        for (int i = 1; i <= 12; ++i)
            drag(a + (b - a) * (i / 12.0), button);
        release(b, button);
    }

    SWDocument* document = nullptr;

private:
    qint64 m_clockMs = 100000;
};

// The pixels of one column across a horizontal stroke.
std::vector<QRgb> columnAcross(const QImage& image, int x, int y0, int y1)
{
    std::vector<QRgb> pixels;
    for (int y = y0; y <= y1; ++y)
        pixels.push_back(image.pixel(x, y));
    return pixels;
}

} // namespace

TEST(DabBrushDocument, TheFirstBrushOfTheChooserIsLoadedAtStart)
{
    BrushDocument d;
    KZDabBrushListView* chooser = d.document->brushListView();
    ASSERT_NE(chooser, nullptr);
    ASSERT_NE(d.tool(), nullptr);
    ASSERT_NE(d.tool()->dabBrush(), nullptr);
    EXPECT_FALSE(chooser->brushFilePathFromTag(1).isEmpty());
    EXPECT_EQ(d.tool()->dabBrush()->filename(), chooser->brushFilePathFromTag(1));
    ASSERT_NE(chooser->selectedItem(), nullptr);
    EXPECT_EQ(chooser->selectedItem()->tag(), 1);
    EXPECT_EQ(chooser->delegate(), static_cast<KZDabBrushListViewDelegate*>(d.document));
    EXPECT_EQ(d.document->toolPanel()->brushListButton()->container(),
              static_cast<KZSelectableItemContainer*>(chooser))
        << "the chooser shows in the Brushes group's pop-up";
    EXPECT_EQ(d.document->toolbox()->currentTool(), d.tool());
}

TEST(DabBrushDocument, APressTakesOneUndoStepAndOneUndoRemovesTheStroke)
{
    BrushDocument d;
    platform::UndoManager* undo = d.document->undoManager();
    const QImage blank = d.image().copy();

    d.press(QPointF(40, 50));
    QApplication::processEvents();
    EXPECT_EQ(undo->undoCount(), 1);
    EXPECT_EQ(d.image(), blank) << "a press paints nothing";
    for (int x = 60; x <= 200; x += 20)
        d.drag(QPointF(x, 50));
    d.release(QPointF(200, 50));
    EXPECT_EQ(undo->undoCount(), 1) << "one stroke, one step";
    EXPECT_NE(d.image(), blank);
    EXPECT_LT(qGray(d.image().pixel(120, 50)), 230) << "paint along the path";
    EXPECT_EQ(d.image().pixel(120, 90), blank.pixel(120, 90));

    d.document->undoOperation();
    EXPECT_EQ(d.image(), blank);
}

TEST(DabBrushDocument, ARightButtonDragPaintsTheBackColour)
{
    BrushDocument d;
    d.document->toolboxController()->setBackgroundColor(QColor(255, 0, 0));
    d.stroke(QPointF(30, 60), QPointF(250, 60), Qt::RightButton);
    d.stroke(QPointF(30, 120), QPointF(250, 120));
    const QColor back = d.image().pixelColor(140, 60);
    const QColor front = d.image().pixelColor(140, 120);
    EXPECT_GT(back.red(), back.green() + 40) << "red paint";
    EXPECT_EQ(back.green(), back.blue());
    EXPECT_LT(front.lightness(), 230) << "black paint";
    EXPECT_EQ(front.red(), front.green());
}

TEST(DabBrushDocument, ChoosingAnotherBrushChangesTheStroke)
{
    BrushDocument d;
    KZDabBrushListView* chooser = d.document->brushListView();
    d.stroke(QPointF(30, 60), QPointF(250, 60));

    // The first brush of the third group ("paint/hard_round").
    KZDabBrushListButton* other = chooser->brushListItemWithTag(KZDabBrushListView::tagForEntry(2, 1));
    ASSERT_NE(other, nullptr);
    other->click();
    EXPECT_EQ(chooser->selectedItem(), other);
    EXPECT_EQ(d.tool()->dabBrush()->filename(), chooser->brushFilePathFromTag(other->tag()));
    EXPECT_NE(d.tool()->dabBrush()->filename(), chooser->brushFilePathFromTag(1));
    d.stroke(QPointF(30, 160), QPointF(250, 160));

    EXPECT_NE(columnAcross(d.image(), 140, 50, 70), columnAcross(d.image(), 140, 150, 170));
}

TEST(DabBrushDocument, ChoosingABrushMakesTheBrushToolCurrent)
{
    BrushDocument d;
    d.document->toolboxController()->chooseToolWithLabel(QStringLiteral("Fill"));
    ASSERT_EQ(d.document->toolboxController()->currentTool(), QStringLiteral("Fill"));
    KZDabBrushListButton* other = d.document->brushListView()->brushListItemWithTag(KZDabBrushListView::tagForEntry(2, 1));
    ASSERT_NE(other, nullptr);
    other->click();
    EXPECT_EQ(d.document->toolboxController()->currentTool(), QStringLiteral("Brushes"));
    EXPECT_EQ(d.document->toolbox()->currentTool(), d.tool());
}
