#include "KZClickThroughView.h"
#include "KZFaceButton.h"
#include "KZWhiteLabel.h"
#include "NSNoTitleButtonCell.h"

#include "ControlTestSupport.h"

#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>

// Clicks go through the window, which finds the widget under the point.
TEST(KZClickThroughView, ClicksOnTheViewReachWhatLiesBehindButItsSubviewsTakeTheirs)
{
    auto* container = new QWidget;
    auto* behind = new QPushButton("Behind", container);
    behind->setGeometry(0, 0, 120, 40);
    auto* over = new KZClickThroughView(container);
    over->setGeometry(0, 0, 120, 40);
    auto* inside = new QPushButton("In", over);
    inside->setGeometry(80, 0, 40, 40);
    int behindClicks = 0;
    int insideClicks = 0;
    QObject::connect(behind, &QPushButton::clicked, [&] { ++behindClicks; });
    QObject::connect(inside, &QPushButton::clicked, [&] { ++insideClicks; });
    ControlHost host(container, QRect(0, 0, 120, 40));

    QTest::mouseClick(container->window()->windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(behindClicks, 1);
    QTest::mouseClick(container->window()->windowHandle(), Qt::LeftButton, {}, QPoint(100, 20));
    EXPECT_EQ(insideClicks, 1);
    EXPECT_EQ(behindClicks, 1);
}

TEST(KZWhiteLabel, NeverTakesAClick)
{
    auto* container = new QWidget;
    auto* behind = new QPushButton("Behind", container);
    behind->setGeometry(0, 0, 120, 40);
    auto* label = new KZWhiteLabel("Caption", container);
    label->setGeometry(0, 0, 120, 40);
    int clicks = 0;
    QObject::connect(behind, &QPushButton::clicked, [&] { ++clicks; });
    ControlHost host(container, QRect(0, 0, 120, 40));
    QTest::mouseClick(container->window()->windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST(KZFaceButton, ShowsItsFaceStateWhateverAClickDid)
{
    auto* face = new KZFaceButton("Grid");
    ControlHost host(face, QRect(0, 0, 100, 30));
    face->setFaceState(1);
    (void)face->grab();
    EXPECT_EQ(face->checkState(), Qt::Checked);
    QTest::mouseClick(face, Qt::LeftButton, {}, QPoint(8, 15));
    (void)face->grab();
    EXPECT_EQ(face->checkState(), Qt::Checked);
    face->setFaceState(-1);
    (void)face->grab();
    EXPECT_EQ(face->checkState(), Qt::PartiallyChecked);
}

TEST(NSNoTitleButtonCell, DrawsNoTitle)
{
    NSNoTitleButtonCell cell;
    cell.setTitle("MMMM");
    cell.setAttributedTitle({"MMMM", QColor(Qt::white), std::nullopt});
    QImage image(60, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    cell.drawWithFrame(painter, QRectF(0, 0, 60, 20), nullptr);
    painter.end();
    EXPECT_EQ(image, [] {
        QImage blank(60, 20, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
        return blank;
    }());
}
