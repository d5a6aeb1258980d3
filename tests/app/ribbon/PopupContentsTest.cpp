// The menu with its choice mark, the rounded pop-up background and the
// check pop-up button with its face, each in its looks.
#include "KZCheckPopUpButton.h"
#include "KZFaceButton.h"
#include "KZMenu.h"
#include "KZMenuItem.h"
#include "KZPopupView.h"

#include "../controls/GoldenImage.h"

#include <gtest/gtest.h>

TEST(KZMenu, PictureWithTheChosenItemMarked)
{
    auto* first = new KZMenuItem("Rectangle", "pick:");
    auto* second = new KZMenuItem("Free-form", "pick:");
    KZMenu menu("Selection", {first, second, new QAction("Select All")});
    static QStyle* fusion = QStyleFactory::create("Fusion");
    menu.setStyle(fusion);
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    menu.setFont(font);
    menu.performActionForItemAtIndex(1);
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(first->isChecked());
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    QImage picture = menu.grab().toImage();
    picture.setDevicePixelRatio(1.0);
    expectMatchesGolden("menu_second_chosen", picture);
    menu.hide();
}

TEST(KZPopupView, PictureOfTheRoundedBackground)
{
    auto* view = new KZPopupView;
    ControlHost host(view, QRect(5, 5, 80, 40), QSize(90, 50));
    // The view alone: what lay under it is replaced, so its corners are
    // see-through and its middle white at 0.9.
    QImage picture = view->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    picture.setDevicePixelRatio(1.0);
    EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(picture.pixelColor(40, 20), QColor(255, 255, 255, 230));
    expectMatchesGolden("popupview", picture);
}

TEST(KZCheckPopUpButton, MirrorsItsStateAndImageOntoTheFace)
{
    auto* row = new QWidget;
    auto* face = new KZFaceButton("Grid", row);
    face->setGeometry(0, 0, 70, 22);
    auto* popUp = new KZCheckPopUpButton(row);
    popUp->setGeometry(72, 0, 70, 22);
    popUp->addItems({"Dots", "Lines"});
    popUp->setFaceButton(face);
    QImage icon(10, 10, QImage::Format_ARGB32);
    icon.fill(qRgb(230, 120, 30));
    popUp->setImage(icon);
    EXPECT_FALSE(face->icon().isNull());
    EXPECT_EQ(popUp->image(), icon);
    ControlHost host(row, QRect(4, 4, 142, 22), QSize(150, 30));
    const struct {
        int state;
        const char* name;
    } looks[] = {{0, "checkpopup_off"}, {1, "checkpopup_on"}, {-1, "checkpopup_mixed"}};
    for (const auto& look : looks) {
        popUp->setState(look.state);
        EXPECT_EQ(face->faceState(), look.state);
        expectMatchesGolden(look.name, controlPicture(host, row));
    }
}
