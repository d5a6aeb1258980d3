#include "KZColorButton.h"
#include "KZColorMatrix.h"
#include "KZColorPanel.h"
#include "NSColorCompare.h"

#include "../controls/ControlTestSupport.h"
#include "../controls/GoldenImage.h"

#include "platform/appkit/ColorPanel.h"
#include "platform/foundation/NotificationCenter.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

#include <gtest/gtest.h>

namespace {
// The colour group in a window, with the shared colour panel's change
// notifications counted.
struct ColorGroup : ::testing::Test {
    KZColorPanel* group = new KZColorPanel;
    std::unique_ptr<ControlHost> host;
    int changes = 0;
    platform::ColorPanel& shared = platform::ColorPanel::shared();

    void SetUp() override
    {
        host = std::make_unique<ControlHost>(group, QRect(QPoint(0, 0), group->sizeHint()), QSize(360, 80));
        platform::NotificationCenter::defaultCenter().addObserver(
            this, platform::ColorPanel::colorDidChangeNotification(), nullptr,
            [this](const platform::Notification&) { ++changes; });
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        shared.close();
    }
    // The user picks a colour in the shared colour panel, which sends its
    // action to the group.
    void pick(const QColor& colour)
    {
        shared.setColor(colour);
        group->changeColor(&shared);
    }
    QStringList userKeys() const { return group->userColorsMatrix()->colorList()->allKeys(); }
    QColor crayon(const QString& key) const
    {
        return *platform::ColorList::named("Crayons")->colorWithKey(key);
    }
};

QAccessibleInterface* findByName(QAccessibleInterface* node, const QString& name)
{
    if (!node)
        return nullptr;
    if (node->text(QAccessible::Name) == name)
        return node;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* found = findByName(node->child(i), name))
            return found;
    }
    return nullptr;
}
} // namespace

TEST_F(ColorGroup, StartsWithClearAndTheCrayonsAndTheFirstButtonActive)
{
    const QStringList fixed = group->systemColorsMatrix()->colorList()->allKeys();
    EXPECT_EQ(fixed, QStringList({"Transparant"}) + KZColorPanel::crayonKeys());
    EXPECT_EQ(group->systemColorsMatrix()->colorCellAt(0, 0)->color().alpha(), 0);
    EXPECT_EQ(group->systemColorsMatrix()->toolTipForCell(group->systemColorsMatrix()->cellAt(1, 9)), "Sky");
    EXPECT_TRUE(userKeys().isEmpty());
    EXPECT_FALSE(group->userColorsMatrix()->frontMagnitude());

    EXPECT_EQ(group->firstColor(), crayon("Licorice"));
    EXPECT_EQ(group->secondColor(), crayon("Snow"));
    EXPECT_EQ(group->activeColorButton(), group->colorButton1());
    EXPECT_EQ(group->colorButton1()->state(), platform::ButtonCell::On);
    EXPECT_EQ(group->colorButton2()->state(), platform::ButtonCell::Off);
    EXPECT_EQ(group->selectedColor(), group->firstColor());
}

TEST(KZColorPanel, WithoutCrayonsHasOnlyClearAndBlackAndWhiteButtons)
{
    KZColorPanel group(nullptr, nullptr);
    EXPECT_EQ(group.systemColorsMatrix()->colorList()->allKeys(), QStringList({"Transparant"}));
    EXPECT_EQ(group.firstColor(), QColor(Qt::black));
    EXPECT_EQ(group.secondColor(), QColor(Qt::white));
    // Only the clear swatch can be chosen.
    EXPECT_TRUE(group.systemColorsMatrix()->cellAt(0, 0)->isEnabled());
    EXPECT_FALSE(group.systemColorsMatrix()->cellAt(0, 1)->isEnabled());
}

TEST_F(ColorGroup, ClickingAColourButtonMakesItActiveAndPushesItsColourToTheSharedPanel)
{
    QTest::mouseClick(group->colorButton2(), Qt::LeftButton);
    EXPECT_EQ(group->activeColorButton(), group->colorButton2());
    EXPECT_EQ(group->colorButton1()->state(), platform::ButtonCell::Off);
    EXPECT_EQ(group->colorButton2()->state(), platform::ButtonCell::On);
    EXPECT_EQ(group->selectedColor(), group->secondColor());
    EXPECT_EQ(shared.color(), group->secondColor());
    EXPECT_EQ(changes, 1);

    // A swatch now sets the second colour, and the panel follows.
    group->systemColorsMatrix()->performClick(1, 0); // "Maraschino", the eleventh
    EXPECT_EQ(group->secondColor(), crayon("Maraschino"));
    EXPECT_EQ(group->firstColor(), crayon("Licorice"));
    EXPECT_EQ(shared.color(), crayon("Maraschino"));
    EXPECT_EQ(changes, 2);
}

TEST_F(ColorGroup, TheActiveButtonShowsTheSelectedLookAndTheOtherItsNormalLook)
{
    // The look exists at all: the colour buttons' skin has a selected image.
    KZTexturalSkin* skin1 = group->colorButton1()->cell()->texturalSkin();
    ASSERT_NE(skin1, nullptr);
    EXPECT_TRUE(skin1->stateImages().contains("s"));
    EXPECT_EQ(group->colorButton1()->cell()->customControlType(), unsigned(KZTexturalButtonCell::OnOff));

    const auto look = [](KZColorButton* button) { return button->cell()->texturalSkin()->state(); };
    EXPECT_EQ(look(group->colorButton1()) & 3, std::uint64_t(KZMultiStateTexture::Selected));
    EXPECT_EQ(look(group->colorButton2()) & 3, std::uint64_t(KZMultiStateTexture::Normal));

    // And it moves with the active button, as drawn pixels show: the
    // bezel's corner region differs between the two looks.
    // Without the hover layer, which comes and goes with wherever the
    // pointer was left.
    const auto corner = [](KZColorButton* button) {
        button->cell()->resetHighlightedState();
        return button->grab().toImage().pixelColor(3, 20);
    };
    const QColor selectedCorner = corner(group->colorButton1());
    const QColor normalCorner = corner(group->colorButton2());
    EXPECT_NE(selectedCorner, normalCorner);
    group->activeColorButton(group->colorButton2());
    EXPECT_EQ(look(group->colorButton2()) & 3, std::uint64_t(KZMultiStateTexture::Selected));
    EXPECT_EQ(look(group->colorButton1()) & 3, std::uint64_t(KZMultiStateTexture::Normal));
    EXPECT_EQ(corner(group->colorButton2()), selectedCorner);
    EXPECT_EQ(corner(group->colorButton1()), normalCorner);

    // The chosen swatch shows it too.
    group->systemColorsMatrix()->performClick(0, 3);
    EXPECT_EQ(group->systemColorsMatrix()->colorCellAt(0, 3)->texturalSkin()->state() & 3,
              std::uint64_t(KZMultiStateTexture::Selected));
}

TEST_F(ColorGroup, PickedColoursNotAmongTheFixedSwatchesCollectInTheUserRow)
{
    const QColor custom(12, 34, 56);
    pick(custom);
    EXPECT_EQ(group->selectedColor(), custom);
    EXPECT_EQ(group->firstColor(), custom);
    EXPECT_EQ(userKeys(), QStringList({"12 34 56"}));

    // The same colour again: still one swatch.
    pick(custom);
    EXPECT_EQ(userKeys(), QStringList({"12 34 56"}));

    // A fixed swatch's colour, even in another form, is taken but not
    // collected.
    const QColor teal = crayon("Teal");
    pick(QColor::fromHsvF(teal.hsvHueF(), teal.hsvSaturationF(), teal.valueF()));
    EXPECT_TRUE(NSColorCompare::isEqualToColor(group->selectedColor(), teal)) << qPrintable(group->selectedColor().name());
    EXPECT_EQ(userKeys(), QStringList({"12 34 56"}));

    const QColor other(200, 100, 0);
    pick(other);
    EXPECT_EQ(userKeys(), QStringList({"12 34 56", "200 100 0"}));
    // Newest first in the row; the user row's swatch then sets the colour.
    EXPECT_EQ(group->userColorsMatrix()->colorCellAt(0, 0)->color(), other);
    group->userColorsMatrix()->performClick(0, 1);
    EXPECT_EQ(group->selectedColor(), custom);
}

TEST_F(ColorGroup, SettingTheShownColourAgainLeavesTheSharedPanelAlone)
{
    shared.setColor(QColor(1, 2, 3));
    group->setSelectedColor(group->selectedColor());
    group->setSelectedColor(QColor::fromHsv(0, 0, 0)); // Licorice is black, in another form
    EXPECT_EQ(shared.color(), QColor(1, 2, 3));
    EXPECT_EQ(changes, 0);

    // First and second colours: no colour and the same colour change
    // nothing; another colour is taken and announced.
    group->setFirstColor(QColor());
    group->setSecondColor(group->secondColor());
    EXPECT_EQ(changes, 0);
    group->setSecondColor(QColor(9, 9, 9));
    EXPECT_EQ(group->secondColor(), QColor(9, 9, 9));
    EXPECT_EQ(changes, 1);
    // The panel shows the selected (first) colour, not the second.
    EXPECT_EQ(shared.color(), group->firstColor());
}

TEST_F(ColorGroup, TheLinkShowsAndHidesTheSharedPanelWithTheSelectedColour)
{
    ASSERT_FALSE(shared.isVisible());
    QTest::mouseClick(group->editColorButton(), Qt::LeftButton);
    EXPECT_TRUE(shared.isVisible());
    EXPECT_EQ(shared.color(), group->selectedColor());
    QTest::mouseClick(group->editColorButton(), Qt::LeftButton);
    EXPECT_FALSE(shared.isVisible());
}

TEST_F(ColorGroup, ControlsAndSwatchesAreFoundByNameInTheAccessibilityTree)
{
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(group);
    ASSERT_NE(root, nullptr);
    for (const char* name : {"Color 1", "Color 2", "Color Swatches", "Custom Colors", "Edit Colors"}) {
        QAccessibleInterface* control = findByName(root, name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_FALSE(control->text(QAccessible::Description).isEmpty()) << name;
    }
    EXPECT_EQ(findByName(root, "Color 1")->text(QAccessible::Description), "Licorice");
    EXPECT_EQ(findByName(root, "Color 2")->text(QAccessible::Description), "Snow");

    QAccessibleInterface* swatch = findByName(root, "Maraschino");
    ASSERT_NE(swatch, nullptr);
    const QRect frame = swatch->rect();
    EXPECT_EQ(frame.size(), QSize(KZColorPanel::kSwatchSide, KZColorPanel::kSwatchSide));
    // Its extents are where it is drawn: a click there chooses it.
    const QPoint local = group->systemColorsMatrix()->mapFromGlobal(frame.center());
    QTest::mouseClick(group->systemColorsMatrix(), Qt::LeftButton, {}, local);
    EXPECT_EQ(group->selectedColor(), crayon("Maraschino"));
    EXPECT_EQ(findByName(root, "Color 1")->text(QAccessible::Description), "Maraschino");

    findByName(root, "Transparant")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(group->selectedColor().alpha(), 0);

    // A picked colour's swatch is named by its values.
    pick(QColor(12, 34, 56));
    EXPECT_NE(findByName(root, "12 34 56"), nullptr);
}

TEST_F(ColorGroup, LooksLikeItsGoldenWithTheSecondButtonActive)
{
    group->activeColorButton(group->colorButton2());
    pick(QColor(40, 160, 90, 128)); // translucent: shows over both halves
    for (KZColorButton* button : {group->colorButton1(), group->colorButton2()})
        button->cell()->resetHighlightedState();
    expectMatchesGolden("color_group", controlPicture(*host, group));
}
