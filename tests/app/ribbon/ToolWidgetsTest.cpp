#include "AMDarkButtonCell.h"
#include "KZLineView.h"
#include "KZTexturalButton.h"
#include "KZTexturalLine.h"
#include "KZTexturalSkin.h"
#include "SWButtonCell.h"
#include "SWColorSelector.h"
#include "SWColorWell.h"
#include "SWMatrix.h"
#include "SWToolboxPanel.h"

#include "../controls/ControlTestSupport.h"
#include "../controls/GoldenImage.h"

#include "platform/appkit/ColorPanel.h"
#include "platform/foundation/NotificationCenter.h"

#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

namespace {
// Counts "SWColorSet" while it lives.
struct ColorSetCounter {
    int count = 0;
    ColorSetCounter()
    {
        platform::NotificationCenter::defaultCenter().addObserver(
            this, SWColorWell::kColorSetNotification, nullptr, [this](const platform::Notification& note) {
                EXPECT_EQ(note.sender, nullptr);
                ++count;
            });
    }
    ~ColorSetCounter() { platform::NotificationCenter::defaultCenter().removeObserver(this); }
};

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

QMouseEvent moveAt(const QPoint& point)
{
    return QMouseEvent(QEvent::MouseMove, QPointF(point), QPointF(point), QPointF(point), Qt::NoButton,
                       Qt::NoButton, Qt::NoModifier);
}

QImage toolImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(width / 2 - 4, height / 2 - 4, 8, 8), Qt::red);
    return image;
}
} // namespace

TEST(SWColorSelector, SwappingPostsColorSetTwiceAndRedrawsBothWells)
{
    auto* selector = new SWColorSelector;
    ControlHost host(selector, QRect(QPoint(10, 10), selector->sizeHint()));
    selector->frontWell()->setColor(QColor(255, 0, 0));
    selector->backWell()->setColor(QColor(0, 0, 255));
    PaintCounter frontPaints, backPaints;
    selector->frontWell()->installEventFilter(&frontPaints);
    selector->backWell()->installEventFilter(&backPaints);
    QCoreApplication::processEvents();
    frontPaints.count = backPaints.count = 0;

    ColorSetCounter posts;
    // The swap button's action.
    QTest::mouseClick(selector->switchButton(), Qt::LeftButton);
    EXPECT_EQ(posts.count, 2);
    EXPECT_EQ(selector->frontWell()->color(), QColor(0, 0, 255));
    EXPECT_EQ(selector->backWell()->color(), QColor(255, 0, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frontPaints.count > 0 && backPaints.count > 0; }, 10000));
    EXPECT_EQ(selector->frontWell()->accessibleDescription(), "0 0 255");
    EXPECT_EQ(selector->switchButton()->accessibleName(), "Switch Colors");
}

TEST(SWColorSelector, HoverFollowsThePointerFrontWellFirstAndClearsOnLeaving)
{
    SWColorSelector selector;
    selector.resize(selector.sizeHint());
    SWColorWell* front = selector.frontWell();
    SWColorWell* back = selector.backWell();
    // Front-only, the overlap, back-only, and outside both.
    const QPoint frontOnly = front->geometry().topLeft() + QPoint(2, 2);
    const QPoint overlap = back->geometry().topLeft() + QPoint(2, 2);
    const QPoint backOnly = back->geometry().bottomRight() - QPoint(2, 2);
    ASSERT_TRUE(front->geometry().contains(overlap) && back->geometry().contains(overlap));
    const struct {
        QPoint at;
        bool front;
        bool back;
    } table[] = {{frontOnly, true, false}, {overlap, true, false}, {backOnly, false, true},
                 {QPoint(selector.width() - 1, 0), false, false}, {overlap, true, false}};
    for (const auto& row : table) {
        QMouseEvent move = moveAt(row.at);
        selector.mouseMoved(&move);
        EXPECT_EQ(front->isHovered(), row.front) << row.at.x() << "," << row.at.y();
        EXPECT_EQ(back->isHovered(), row.back) << row.at.x() << "," << row.at.y();
    }
    selector.mouseExited(nullptr);
    EXPECT_FALSE(front->isHovered());
    EXPECT_FALSE(back->isHovered());
}

TEST(SWColorSelector, RealPointerMovesOverTheWellsReachTheSelector)
{
    auto* selector = new SWColorSelector;
    ControlHost host(selector, QRect(QPoint(10, 10), selector->sizeHint()));
    QTest::mouseMove(&host.window, selector->mapTo(&host.window, selector->backWell()->geometry().bottomRight() -
                                                                     QPoint(2, 2)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return selector->backWell()->isHovered(); }, 10000));
    QTest::mouseMove(&host.window, selector->mapTo(&host.window, QPoint(3, 3)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return selector->frontWell()->isHovered(); }, 10000));
    EXPECT_FALSE(selector->backWell()->isHovered());
}

TEST(SWColorWell, AClickAnnouncesItselfAndDeactivationClosesTheSharedPanel)
{
    auto* selector = new SWColorSelector;
    ControlHost host(selector, QRect(QPoint(10, 10), selector->sizeHint()));
    platform::ColorPanel& panel = platform::ColorPanel::shared();
    SWColorWell* front = selector->frontWell();
    ColorSetCounter posts;

    // Press and release each announce; the click activates the well and
    // opens the shared panel with its colour.
    QTest::mouseClick(front, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(posts.count, 2);
    EXPECT_TRUE(front->isActive());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.color(), front->color());

    // A colour picked while active becomes the well's, announced.
    panel.userDidPickColor(QColor(0, 128, 0), true);
    EXPECT_EQ(front->color(), QColor(0, 128, 0));
    EXPECT_EQ(posts.count, 3);

    // Activating the other well deactivates this one (announced).
    selector->backWell()->activate(true);
    EXPECT_FALSE(front->isActive());
    EXPECT_EQ(posts.count, 4);
    selector->backWell()->deactivate();
    EXPECT_EQ(posts.count, 5);
    EXPECT_FALSE(panel.isVisible());
}

TEST(SWButtonCell, MakesPressedAndHoveredLooksOnlyForTheThreeToolSizes)
{
    for (const QSize size : {QSize(32, 32), QSize(64, 32), QSize(64, 48)}) {
        SWButtonCell cell(toolImage(size.width(), size.height()));
        ASSERT_FALSE(cell.altImage().isNull()) << size.width() << "x" << size.height();
        ASSERT_FALSE(cell.hovImage().isNull());
        EXPECT_EQ(cell.altImage().size(), size);
        // The pressed look has the focus-blue rim, the hovered look the
        // blue-grey one; both carry the tool's image in the middle.
        const QColor pressedRim = cell.altImage().pixelColor(size.width() / 2, 0);
        const QColor hoveredRim = cell.hovImage().pixelColor(size.width() / 2, 0);
        EXPECT_EQ(pressedRim, QColor(0x3b, 0x99, 0xfc));
        EXPECT_NEAR(hoveredRim.red(), 162, 3);
        EXPECT_NEAR(hoveredRim.green(), 171, 3);
        EXPECT_NEAR(hoveredRim.blue(), 188, 3);
        EXPECT_EQ(cell.altImage().pixelColor(size.width() / 2, size.height() / 2), QColor(Qt::red));
        // The inner face is light grey.
        EXPECT_GT(cell.hovImage().pixelColor(4, size.height() / 2).lightness(), 180);

        cell.setAlternateImage(QImage()); // ignored
        EXPECT_FALSE(cell.alternateImage().isNull());
        cell.mouseEntered();
        EXPECT_EQ(cell.image(), cell.hovImage());
        cell.mouseExited();
        EXPECT_EQ(cell.image(), cell.backupImage());
    }

    SWButtonCell odd(toolImage(48, 48));
    EXPECT_TRUE(odd.alternateImage().isNull());
    odd.mouseEntered();
    EXPECT_TRUE(odd.image().isNull()); // hovered, it shows no image
    odd.setIsHovered(false);           // does nothing
    EXPECT_TRUE(odd.image().isNull());
}

TEST(SWButtonCell, AMatrixGivesItsCellsTheirHoveredAndPressedLooks)
{
    auto* matrix = new SWMatrix(platform::Matrix::RadioMode,
                                [] { return std::make_unique<SWButtonCell>(toolImage(32, 32)); }, 1, 2);
    matrix->setCellSize(QSizeF(32, 32));
    ControlHost host(matrix, QRect(10, 10, 66, 32), QSize(120, 60));
    auto* first = static_cast<SWButtonCell*>(matrix->cellAt(0, 0));
    QMouseEvent move = moveAt(QPoint(5, 5));
    matrix->mouseMoved(&move);
    EXPECT_EQ(first->image(), first->hovImage());
    QMouseEvent next = moveAt(QPoint(40, 5));
    matrix->mouseMoved(&next);
    EXPECT_EQ(first->image(), first->backupImage());

    // Highlighted, the pressed look is drawn.
    first->setHighlighted(true);
    QImage drawn(32, 32, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter p(&drawn);
    first->drawWithFrame(p, QRectF(0, 0, 32, 32), matrix);
    p.end();
    EXPECT_EQ(drawn.pixelColor(16, 0), QColor(0x3b, 0x99, 0xfc));
}

TEST(AMDarkButtonCell, RimFollowsTheStateAndHighlightDarkens)
{
    const auto draw = [](int state, bool highlighted) {
        AMDarkButtonCell cell;
        cell.setState(state);
        cell.setHighlighted(highlighted);
        QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        cell.drawBezelWithFrame(p, QRectF(0, 0, 40, 20), nullptr);
        p.end();
        return image;
    };
    const QImage off = draw(platform::ButtonCell::Off, false);
    const QImage on = draw(platform::ButtonCell::On, false);
    const QImage pressed = draw(platform::ButtonCell::Off, true);
    EXPECT_EQ(off.pixelColor(20, 0), QColor(Qt::lightGray));
    EXPECT_EQ(on.pixelColor(20, 0), AMDarkButtonCell::selectedControlColor());
    EXPECT_EQ(off.pixelColor(20, 10), on.pixelColor(20, 10));
    EXPECT_LT(pressed.pixelColor(20, 10).lightness(), off.pixelColor(20, 10).lightness());
    EXPECT_EQ(pressed.pixelColor(20, 0), off.pixelColor(20, 0));
}

TEST(KZTexturalLine, DrawsItsSkinUncutAndNothingWithoutAnIdentifier)
{
    KZTexturalLine bare;
    EXPECT_EQ(bare.texturalSkin(), nullptr);
    KZTexturalLine line("tab_vseperator_line");
    auto* skin = dynamic_cast<KZTexturalSkin*>(line.texturalSkin());
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(skin->capInsets().isZero());
    EXPECT_NE(skin->currentImage(), nullptr);
}

TEST(KZLineView, DrawsAGreyDottedLineDownTheMiddle)
{
    KZLineView view;
    view.resize(9, 30);
    QImage drawn(view.size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    view.render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);
    int on = 0, off = 0;
    for (int y = 0; y < 30; ++y) {
        const QColor pixel = drawn.pixelColor(4, y);
        if (pixel.alpha() == 0) {
            ++off;
            continue;
        }
        ++on;
        EXPECT_EQ(pixel.red(), 130) << y;
        EXPECT_EQ(pixel.red(), pixel.blue());
    }
    // One on, two off.
    EXPECT_EQ(on, 10);
    EXPECT_EQ(off, 20);
    EXPECT_EQ(drawn.pixelColor(0, 15).alpha(), 0);
}

TEST(SWToolboxPanel, NeverBecomesTheKeyWindow)
{
    SWToolboxPanel panel;
    EXPECT_FALSE(panel.canBecomeKeyWindow());
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel.isWindow());
}

TEST(SWColorSelector, LooksLikeItsGoldenWithTheBackWellHovered)
{
    auto* selector = new SWColorSelector;
    ControlHost host(selector, QRect(QPoint(10, 10), selector->sizeHint()));
    selector->frontWell()->setColor(QColor(200, 40, 40));
    selector->backWell()->setColor(QColor(40, 80, 200));
    QMouseEvent move = moveAt(selector->backWell()->geometry().bottomRight() - QPoint(2, 2));
    selector->mouseMoved(&move);
    expectMatchesGolden("color_selector", controlPicture(host, selector));
}
