#include "KZTexturalPopUpButton.h"

#include "GoldenImage.h"

#include <gtest/gtest.h>

TEST(KZTexturalPopUpButton, HoverAndAnOpenMenuGiveTheBits13AndTheTitleIsTheChosenLevel)
{
    auto* popUp = new KZTexturalPopUpButton(false, "scalebutton_btn_popup");
    for (const char* level : {"25%", "50%", "100%", "200%", "400%", "800%", "1600%"})
        popUp->addItem(level);
    popUp->setCurrentIndex(2);
    ControlHost host(popUp, QRect(10, 10, 70, 22), QSize(120, 60));
    ASSERT_TRUE(popUp->cell()->skin());
    EXPECT_EQ(popUp->accessibleName(), "100%");
    EXPECT_EQ(popUp->cell()->stateBits(), 1u);
    expectMatchesGolden("popup_normal", controlPicture(host, popUp));

    QTest::mouseMove(popUp, QPoint(30, 10));
    EXPECT_EQ(popUp->cell()->stateBits(), 1u | 4u);
    popUp->showPopup();
    EXPECT_EQ(popUp->cell()->stateBits(), 13u);
    popUp->hidePopup();
    EXPECT_EQ(popUp->cell()->stateBits(), 5u);
    expectMatchesGolden("popup_hover", controlPicture(host, popUp));
    popUp->setState(1);
    EXPECT_EQ(popUp->cell()->stateBits(), 7u);
    QTest::mouseMove(&host.window, QPoint(115, 55));
    EXPECT_EQ(popUp->cell()->stateBits(), 3u);
}

TEST(KZTexturalPopUpButton, WithoutAnIdentifierThereIsNoSkinButTheTitleKeepsItsColour)
{
    KZTexturalPopUpButton popUp(false, QString());
    EXPECT_FALSE(popUp.cell()->skin());
    EXPECT_EQ(popUp.cell()->textColor(), QColor(Qt::white));
}
