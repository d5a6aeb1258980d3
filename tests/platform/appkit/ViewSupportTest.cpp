#include "platform/appkit/FrameChangeNotifier.h"
#include "platform/appkit/SegmentedCell.h"
#include "platform/appkit/TrackingArea.h"
#include "platform/appkit/TrackingAreaOwner.h"
#include "platform/appkit/ViewIdentifier.h"
#include "platform/foundation/NotificationCenter.h"

#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

TEST(ViewIdentifier, NamesAViewApartFromItsObjectNameAndFindsItBelowARoot)
{
    QWidget root;
    auto* middle = new QWidget(&root);
    auto* leaf = new QWidget(middle);
    leaf->setObjectName("leaf");
    platform::ViewIdentifier::setIdentifier(leaf, "77_tab_label_view");
    EXPECT_EQ(platform::ViewIdentifier::identifier(leaf), "77_tab_label_view");
    EXPECT_EQ(leaf->objectName(), "leaf");
    EXPECT_EQ(platform::ViewIdentifier::findView(&root, "77_tab_label_view"), leaf);
    EXPECT_EQ(platform::ViewIdentifier::findView(&root, "other"), nullptr);
    EXPECT_EQ(platform::ViewIdentifier::identifier(nullptr), QString());
}

TEST(FrameChangeNotifier, PostsOncePerMoveOrResizeOnlyWhileAsked)
{
    QWidget window;
    auto* view = new QWidget(&window);
    view->setGeometry(0, 0, 50, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int posts = 0;
    auto& centre = platform::NotificationCenter::defaultCenter();
    centre.addObserver(&posts, platform::FrameChangeNotifier::notificationName(), view,
                       [&](const platform::Notification&) { ++posts; });

    view->resize(60, 50);
    EXPECT_EQ(posts, 0); // not asked yet
    platform::FrameChangeNotifier::setPostsFrameChangedNotifications(view, true);
    platform::FrameChangeNotifier::setPostsFrameChangedNotifications(view, true);
    EXPECT_TRUE(platform::FrameChangeNotifier::postsFrameChangedNotifications(view));
    view->resize(70, 50);
    EXPECT_EQ(posts, 1);
    view->move(5, 0);
    EXPECT_EQ(posts, 2);
    view->setGeometry(view->geometry()); // no change, no post
    EXPECT_EQ(posts, 2);
    platform::FrameChangeNotifier::setPostsFrameChangedNotifications(view, false);
    view->resize(80, 50);
    EXPECT_EQ(posts, 2);
    centre.removeObserver(&posts);
}

namespace {
struct RecordingOwner : platform::TrackingAreaOwner {
    QStringList calls;
    void mouseEntered(QEvent*) override { calls << "entered"; }
    void mouseExited(QEvent*) override { calls << "exited"; }
    void mouseMoved(QMouseEvent* e) override { calls << QString("moved %1").arg(e->position().x()); }
};
} // namespace

TEST(TrackingArea, AnAreaSmallerThanItsViewFindsEntriesAndExitsFromMoves)
{
    QWidget window;
    window.resize(200, 100);
    auto* view = new QWidget(&window);
    view->setGeometry(0, 0, 200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseMove(view, QPoint(190, 90));

    RecordingOwner owner;
    auto* area = new platform::TrackingArea(QRectF(50, 0, 50, 100),
                                            platform::TrackingArea::MouseEnteredAndExited
                                                | platform::TrackingArea::MouseMoved,
                                            &owner);
    platform::TrackingArea::addToView(view, area);
    EXPECT_EQ(platform::TrackingArea::areasOf(view), QList<platform::TrackingArea*>({area}));
    QTest::mouseMove(view, QPoint(10, 50));
    QTest::mouseMove(view, QPoint(60, 50));
    QTest::mouseMove(view, QPoint(70, 50));
    QTest::mouseMove(view, QPoint(100, 50)); // the right edge is outside
    EXPECT_EQ(owner.calls, QStringList({"entered", "moved 70", "exited"}));

    // Without the moved option, moves say nothing.
    RecordingOwner quiet;
    auto* second = new platform::TrackingArea(QRectF(0, 0, 40, 100), platform::TrackingArea::MouseEnteredAndExited,
                                              &quiet);
    platform::TrackingArea::addToView(view, second);
    QTest::mouseMove(view, QPoint(10, 50));
    QTest::mouseMove(view, QPoint(20, 50));
    EXPECT_EQ(quiet.calls, QStringList({"entered"}));

    platform::TrackingArea::removeFromView(view, area);
    EXPECT_EQ(platform::TrackingArea::areasOf(view), QList<platform::TrackingArea*>({second}));
}

TEST(SegmentedCell, SelectionPerTrackingModeAndHitsOnBoundariesGoLeft)
{
    platform::SegmentedCell cell;
    cell.setSegmentCount(3);
    cell.setSelected(true, 0);
    cell.setSelected(true, 2);
    EXPECT_FALSE(cell.isSelectedForSegment(0)); // select one
    EXPECT_EQ(cell.selectedSegment(), 2);
    cell.setSelectedSegment(-1);
    EXPECT_EQ(cell.selectedSegment(), -1);
    EXPECT_FALSE(cell.isSelectedForSegment(2));

    cell.setTrackingMode(platform::SegmentedCell::SelectAny);
    cell.setSelected(true, 0);
    cell.setSelected(true, 1);
    EXPECT_TRUE(cell.isSelectedForSegment(0));
    EXPECT_EQ(cell.selectedSegment(), 1);
    cell.setSelected(false, 1);
    EXPECT_EQ(cell.selectedSegment(), 0);
    cell.setSegmentCount(1);
    EXPECT_EQ(cell.selectedSegment(), 0);
    cell.setSegmentCount(3);
    cell.setSelectedSegment(2);
    cell.setSegmentCount(2); // the selected segment went away
    EXPECT_EQ(cell.selectedSegment(), -1);

    // Widths 30 and automatic in a 100-wide control: 30 and 70.
    cell.setWidth(30, 0);
    EXPECT_EQ(cell.layoutWidths(100), QVector<double>({30, 70}));
    const struct {
        double x;
        int segment;
    } hits[] = {{-1, -1}, {0, 0}, {30, 0}, {30.5, 1}, {100, 1}, {100.5, -1}};
    for (const auto& hit : hits)
        EXPECT_EQ(cell.segmentAt(hit.x, 100), hit.segment) << hit.x;
}
