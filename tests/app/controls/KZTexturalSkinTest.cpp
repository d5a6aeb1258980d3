#include "KZTexturalSkin.h"

#include "SkinFixtures.h"
#include "StderrCapture.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {
QRgb drawnCentre(KZTexturalSkin& skin)
{
    QImage target(10, 10, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    skin.drawWithFrame(painter, QRectF(0, 0, 10, 10), nullptr);
    painter.end();
    return target.pixel(5, 5);
}
} // namespace

TEST(KZTexturalSkin, ShortensTheIdentifierAfterEachUnderscoreUntilAnImageIsFound)
{
    EXPECT_EQ(KZTexturalSkin::candidateNames("123_btn_color_adv", "h"),
              QStringList({"123_btn_color_adv_h", "btn_color_adv_h", "color_adv_h", "adv_h"}));
    EXPECT_EQ(KZTexturalSkin::candidateNames("plain", "n"), QStringList({"plain_n"}));
    EXPECT_EQ(KZTexturalSkin::nextLevelTitle("plain"), QString());
    EXPECT_TRUE(KZTexturalSkin::nextLevelTitle("plain").isNull());

    // The nearest name wins for each letter on its own.
    SkinFixtures fixtures;
    fixtures.addFilled("fbtest_adv_n", 4, 4, qRgba(255, 0, 0, 255));
    fixtures.addFilled("fbtest_adv_p", 4, 4, qRgba(0, 255, 0, 255));
    fixtures.addFilled("adv_p", 4, 4, qRgba(0, 0, 255, 255));
    fixtures.addFilled("adv_h", 4, 4, qRgba(255, 255, 0, 255));
    KZTexturalSkin skin("123_fbtest_adv", KZEdgeInsets::automatic());
    const auto images = skin.stateImages();
    EXPECT_EQ(QStringList(images.keys()), QStringList({"h", "n", "p"}));
    EXPECT_EQ(images.value("n")->stockName(), "fbtest_adv_n");
    EXPECT_EQ(images.value("h")->stockName(), "adv_h");
    EXPECT_EQ(images.value("p")->stockName(), "fbtest_adv_p");
    EXPECT_EQ(skin.currentImage(), images.value("n"));
}

// A skin looks its images up when first drawn or asked for; images set on
// it before then stay, and are not replaced by that look-up.
TEST(KZTexturalSkin, ImagesSetBeforeTheFirstDrawingStay)
{
    SkinFixtures fixtures;
    fixtures.addFilled("settest_n", 4, 4, qRgba(255, 0, 0, 255));
    fixtures.addFilled("settest_s", 4, 4, qRgba(0, 255, 0, 255));
    fixtures.addFilled("settest_other_n", 4, 4, qRgba(0, 0, 255, 255));
    const KZImage::Ptr other = KZImage::imageNamed("settest_other_n");
    ASSERT_TRUE(other);

    KZTexturalSkin current("settest");
    current.setCurrentImage(other);
    EXPECT_EQ(current.currentImage(), other);
    EXPECT_EQ(current.stateImages().value("s")->stockName(), "settest_s");

    KZTexturalSkin states("settest");
    states.setStateImages({{"n", other}});
    EXPECT_EQ(QStringList(states.stateImages().keys()), QStringList({"n"}));
    EXPECT_EQ(drawnCentre(states), qRgba(0, 0, 255, 255));
}

TEST(KZTexturalSkin, StateBitsChooseTheLayersOverTheNormalImage)
{
    SkinFixtures fixtures;
    fixtures.addFilled("layers_n", 4, 4, qRgba(255, 0, 0, 255));
    fixtures.addFilled("layers_p", 4, 4, qRgba(0, 0, 255, 255));
    fixtures.addFilled("layers_h", 4, 4, qRgba(0, 255, 0, 255));
    fixtures.addFilled("nonormal_h", 4, 4, qRgba(0, 255, 0, 255));
    KZTexturalSkin skin("layers");
    EXPECT_EQ(skin.state(), 1u);
    EXPECT_EQ(drawnCentre(skin), qRgba(255, 0, 0, 255));
    skin.changeState(0);
    EXPECT_EQ(qAlpha(drawnCentre(skin)), 0);
    skin.changeState(1 | 8);
    EXPECT_EQ(drawnCentre(skin), qRgba(0, 0, 255, 255)); // n, then p over it
    skin.changeState(4 | 8);
    EXPECT_EQ(drawnCentre(skin), qRgba(0, 0, 255, 255)); // h, then p: p is later
    skin.changeState(2 | 16);
    EXPECT_EQ(qAlpha(drawnCentre(skin)), 0); // set bits without images add nothing

    // Without a normal image nothing is drawn, whatever the bits.
    KZTexturalSkin noNormal("nonormal");
    noNormal.changeState(4);
    EXPECT_EQ(qAlpha(drawnCentre(noNormal)), 0);
}

TEST(KZTexturalSkin, AnEmptyIdentifierIsLoggedAndDrawsNothing)
{
    StderrCapture capture;
    KZTexturalSkin skin(QString(), KZEdgeInsets::automatic());
    EXPECT_TRUE(capture.text().contains("*** Error, identifier is nil"));
    EXPECT_TRUE(skin.stateImages().isEmpty());
    EXPECT_FALSE(skin.currentImage());
    EXPECT_EQ(qAlpha(drawnCentre(skin)), 0);
}

// Every identifier the control kit makes finds the shipped images it shows.
TEST(KZTexturalSkin, EveryIdentifierOfTheKitFindsItsShippedImages)
{
    const struct {
        const char* identifier;
        const char* letters;
    } table[] = {
        {"1234_btn_color_adv", "nhp"},          // a ribbon group's drop-down button
        {"btn_color", "nhp"},                   // colour buttons and swatches
        {"0f3a-11_btn_brush", "nhps"},          // brush chooser buttons (UUID in front)
        {"scalebutton_btn_popup", "nhp"},       // the zoom pop-up
        {"segindex0_77_tab_seg_left", "nshp"},  // a tab selector
        {"segindex1_77_seg_middle", "nshp"},    // the brush chooser's groups
        {"segindex2_77_seg_right", "nshp"},
        {"77_tab_label_view", "n"},
        {"77_3_tab_tabview", "n"},
        {"77_popup_tab_tabview", "n"},
        {"77_tab_vseperator_line", "n"},
        {"slot_5_kz_scroller_vslot", "n"},
        {"knob_5_kz_scroller_vknob", "nh"},
        {"slot_5_kz_scroller_hslot", "n"},
        {"knob_5_kz_scroller_hknob", "nh"},
        {"slot_5_9_0_kz_scroller_paint_view_vslot", "n"},
        {"kz_scroller_paint_view_brgap", "n"},
        {"123_arrow_kz_scroller_vbutton1", "nhp"}, // arrow buttons of "arrow..." scrollers
        {"123_arrow_kz_scroller_vbutton2", "nhp"},
        {"123_arrow_kz_scroller_hbutton1", "nhp"},
        {"123_arrow_kz_scroller_hbutton2", "nhp"},
        {"brushes_popupbutton_adv", "nsh"}, // a ribbon split button's background
    };
    for (const auto& row : table) {
        KZTexturalSkin skin(row.identifier, KZEdgeInsets::automatic());
        for (const char* letter = row.letters; *letter; ++letter)
            EXPECT_TRUE(skin.stateImages().value(QString(QChar(*letter)))) << row.identifier << " " << *letter;
    }
}
