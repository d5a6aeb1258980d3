#include "HiResSupport.h"
#include "KZOverlayView.h"
#include "SWCenteringClipView.h"
#include "SWScalingScrollView.h"

#include "platform/foundation/NotificationCenter.h"

#include "KZTexturalPopUpButton.h"

#include <QComboBox>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
struct ScaleNotes {
    ScaleNotes()
    {
        platform::NotificationCenter::defaultCenter().addObserver(
            this, SWScalingScrollView::kScaleFactorDidChanged, nullptr, [this](const platform::Notification& n) {
                levels.push_back(n.userInfo.value(SWScalingScrollView::kScaleFactorKey).toDouble());
                senders.push_back(n.sender);
            });
    }
    ~ScaleNotes() { platform::NotificationCenter::defaultCenter().removeObserver(this); }
    std::vector<double> levels;
    std::vector<const void*> senders;
};

// A window with a scroll view around a canvas-sized widget and an overlay.
struct ZoomWindow {
    ZoomWindow(QSizeF canvas = QSizeF(300, 200))
    {
        window.resize(400, 300);
        scrollView = new SWScalingScrollView(&window);
        scrollView->setGeometry(0, 0, 400, 300);
        scrollView->setContentView(new SWCenteringClipView);
        canvasView = new QWidget;
        scrollView->setDocumentView(canvasView);
        scrollView->setDocumentFrameSize(canvas);
        overlay = new KZOverlayView(scrollView->viewport());
        overlay->setGeometry(scrollView->viewport()->rect());
        window.show();
    }
    QWidget window;
    SWScalingScrollView* scrollView;
    QWidget* canvasView;
    KZOverlayView* overlay;
};
} // namespace

TEST(SWScalingScrollView, SnapsToTheSevenLevels)
{
    const struct {
        double in, out;
    } cases[] = {{0.75, 1},  {0.7, 0.5}, {3, 4},     {0.1, 0.25}, {40, 16},   {0.25, 0.25}, {16, 16},
                 {1.5, 2},   {1.49, 1},  {6, 8},     {12, 16},    {11.9, 8},  {0.375, 0.5}, {-3, 0.25},
                 {std::numeric_limits<double>::quiet_NaN(), 1},  {std::numeric_limits<double>::infinity(), 16}};
    for (const auto& c : cases)
        EXPECT_EQ(SWScalingScrollView::snapScaleFactor(c.in), c.out) << c.in;
}

TEST(SWScalingScrollView, LevelsCountDevicePixelsAndEveryChangeIsPostedOnce)
{
    ZoomWindow w;
    const double ratio = HiResSupport::screenScaleFactor(w.scrollView);
    ScaleNotes notes;
    EXPECT_DOUBLE_EQ(w.scrollView->magnification(), 1.0 / ratio * ratio);
    w.scrollView->setScaleFactor(1.0, true); // already there: nothing posted
    EXPECT_TRUE(notes.levels.empty());

    w.scrollView->setScaleFactor(3, true);
    ASSERT_EQ(notes.levels.size(), 1u);
    EXPECT_EQ(notes.levels[0], 4.0);
    EXPECT_EQ(notes.senders[0], w.scrollView);
    EXPECT_DOUBLE_EQ(w.scrollView->scaleFactor(), 4.0);
    EXPECT_DOUBLE_EQ(w.scrollView->actualMagnification(), 4.0 / ratio);
    // The canvas widget is the canvas at that scale, in logical pixels.
    EXPECT_EQ(w.canvasView->width(), int(std::ceil(300 * 4.0 / ratio)));
    ASSERT_NE(w.scrollView->scalePopUpButton(), nullptr);
    EXPECT_EQ(w.scrollView->scalePopUpButton()->currentIndex(), 4);

    w.scrollView->setScaleFactor(0.2, false);
    EXPECT_EQ(notes.levels.back(), 0.25);
    EXPECT_EQ(w.scrollView->scalePopUpButton()->currentIndex(), 4) << "the pop-up is left alone";
    w.scrollView->scalePopUpAction(6);
    EXPECT_EQ(notes.levels.back(), 16.0);
    EXPECT_EQ(notes.levels.size(), 3u);
}

TEST(SWScalingScrollView, ZoomKeepsTheVisibleTopLeftCanvasPoint)
{
    ZoomWindow w(QSizeF(2000, 2000));
    w.scrollView->setScaleFactor(2, true);
    auto* h = w.scrollView->horizontalScrollBar();
    h->setValue(h->maximum() / 2);
    const QPointF before = w.scrollView->documentVisibleRect().topLeft();
    w.scrollView->setScaleFactor(4, true);
    const QPointF after = w.scrollView->documentVisibleRect().topLeft();
    EXPECT_NEAR(before.x(), after.x(), 1.0);
    EXPECT_NEAR(before.y(), after.y(), 1.0);
    EXPECT_GT(after.x(), 100.0);
}

TEST(KZOverlayView, FollowsOnlyItsOwnWindowsScaleChanges)
{
    ZoomWindow a;
    ZoomWindow b;
    const double ratio = HiResSupport::screenScaleFactor(a.overlay);
    b.scrollView->setScaleFactor(8, true);
    EXPECT_DOUBLE_EQ(a.overlay->boundsScale(), 1.0) << "another window's scroll view";
    EXPECT_DOUBLE_EQ(b.overlay->boundsScale(), 8.0 / ratio);

    // A notification without the level changes nothing.
    platform::NotificationCenter::defaultCenter().post(SWScalingScrollView::kScaleFactorDidChanged, a.scrollView);
    EXPECT_DOUBLE_EQ(a.overlay->boundsScale(), 1.0);

    a.scrollView->setScaleFactor(2, true);
    EXPECT_DOUBLE_EQ(a.overlay->boundsScale(), 2.0 / ratio);
    // Overlay units stay canvas pixels: widget and overlay points convert both ways.
    const QPointF p(37.5, 12.25);
    EXPECT_NEAR(a.overlay->pointFromWidget(a.overlay->widgetPointFromPoint(p)).x(), p.x(), 1e-9);
}

TEST(KZOverlayView, ScaleToCentresTheBoundsOnAWholePixel)
{
    KZOverlayView view;
    view.resize(400, 300);
    view.scaleTo(2.0);
    // Bounds 200 x 150, centred: origin (100, 75), cut to whole multiples of 2.
    EXPECT_EQ(view.bounds(), QRectF(100, 74, 200, 150));
    view.scaleTo(0.5);
    // From (100, 74) 200 x 150 to 800 x 600 centred: no snapping below 1.
    EXPECT_EQ(view.bounds(), QRectF(-200, -151, 800, 600));
}
