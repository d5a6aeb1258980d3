#include "KZMenu.h"
#include "KZMenuItem.h"
#include "KZPopupButtonAdv.h"
#include "KZPopupPanel.h"
#include "KZTexturalButton.h"
#include "KZTexturalMenu.h"
#include "KZTexturalMenuItem2.h"

#include "../controls/GoldenImage.h"

#include <QPointer>
#include <gtest/gtest.h>

namespace {
QImage swatch(QRgb colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// A split button with its two parts, whose click target counts the clicks.
struct SplitButton {
    ActionCounter clickTarget{"selectShapeTool:"};
    KZPopupButtonAdv* button = new KZPopupButtonAdv("brushes_popupbutton_adv");
    KZTexturalButton* actionPart = new KZTexturalButton("btn_color_adv", KZTexturalButtonCell::OnOff, button);
    KZTexturalButton* dropPart = new KZTexturalButton("btn_color_adv", KZTexturalButtonCell::Momentary, button);
    std::unique_ptr<ControlHost> host;

    explicit SplitButton(KZSelectableItemContainer* container)
    {
        button->setActionButton(actionPart);
        button->setPopupButton(dropPart);
        actionPart->setGeometry(0, 0, 40, 40);
        dropPart->setGeometry(0, 40, 40, 14);
        button->setContainer(container);
        button->setClickTarget(&clickTarget);
        button->setClickSelector("selectShapeTool:");
        button->awakeFromNib();
        host = std::make_unique<ControlHost>(button, QRect(10, 10, 40, 54), QSize(200, 160));
    }
};

// A row of two items that send "chooseShape:" to the item target.
struct ButtonRow {
    ActionCounter itemTarget{"chooseShape:"};
    KZTexturalMenu* menu = new KZTexturalMenu("popup_tab_tabview");
    QPointer<KZTexturalMenu> menuGuard{menu};
    KZTexturalMenuItem2* first = new KZTexturalMenuItem2("btn_color", KZTexturalButtonCell::Momentary, menu);
    KZTexturalMenuItem2* second = new KZTexturalMenuItem2("btn_color", KZTexturalButtonCell::Momentary, menu);
    ButtonRow()
    {
        menu->resize(80, 40);
        const QRgb colours[] = {qRgb(200, 60, 60), qRgb(60, 160, 60)};
        int i = 0;
        for (KZTexturalMenuItem2* item : {first, second}) {
            item->setGeometry(40 * i, 0, 40, 40);
            item->setImage(swatch(colours[i++]));
            item->setTarget(&itemTarget);
            item->setAction("chooseShape:");
            item->postInit();
        }
    }
    // The items go with their menu. A panel that took the menu in deletes
    // it with itself; otherwise nobody else would.
    ~ButtonRow() { delete menuGuard.data(); }
    ButtonRow(const ButtonRow&) = delete;
    ButtonRow& operator=(const ButtonRow&) = delete;
};

// An item that, like a chooser button, chooses itself in its container
// again when it is selected, and counts how often.
class SelfChoosingItem : public KZSelectableItem {
public:
    explicit SelfChoosingItem(KZSelectableItemContainer& container)
        : m_container(container)
    {
    }
    void setSelected(bool) override
    {
        ++selections;
        m_container.setSelectedItem(this);
    }
    bool isSelected() const override { return true; }
    int tag() const override { return 0; }
    QImage image() const override { return {}; }
    bool active() const override { return m_active; }
    void setActive(bool active) override { m_active = active; }
    int selections = 0;

private:
    KZSelectableItemContainer& m_container;
    bool m_active = true;
};

class PlainContainer : public KZSelectableItemContainer {
public:
    KZSelectableItem* selectedItem() const override { return m_item; }
    void setSelectedItem(KZSelectableItem* item) override
    {
        m_item = item;
        selectedItemDidChange();
    }

private:
    KZSelectableItem* m_item = nullptr;
};
} // namespace

TEST(KZPopupButtonAdv, OneChoiceInAButtonRowSendsTheItemsActionOnceAndClicksOnce)
{
    ButtonRow row;
    SplitButton split(row.menu);
    EXPECT_EQ(split.button->state(), 0);
    EXPECT_TRUE(split.button->image().isNull());

    // The drop part raises the row in the panel below the button.
    QTest::mouseClick(split.dropPart, Qt::LeftButton, {}, QPoint(20, 7));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(split.button->panel()));
    EXPECT_EQ(row.menu->parentWidget(), split.button->panel()->contentView());

    // An inactive item: shown and chosen, the panel closes, nothing clicks.
    QTest::mouseClick(row.second, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(row.itemTarget.count, 1);
    EXPECT_EQ(split.clickTarget.count, 0);
    EXPECT_EQ(split.button->selectedItem(), row.second);
    EXPECT_EQ(split.button->image(), row.second->image());
    EXPECT_FALSE(split.button->panel()->isVisible());
    EXPECT_EQ(split.button->state(), 0);

    // The active item: selection, click, select. Its click already sent the
    // action; the button clicking itself must not send it again.
    row.first->setActive(true);
    split.button->raisePanel(nullptr);
    QTest::mouseClick(row.first, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(row.itemTarget.count, 2);
    EXPECT_EQ(split.clickTarget.count, 1);
    EXPECT_EQ(split.button->state(), 1);
    EXPECT_EQ(split.actionPart->state(), 1);

    // A click on the action part runs the click target, then selects the
    // item, which acts as chosen.
    QTest::mouseClick(split.actionPart, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(split.clickTarget.count, 2);
    EXPECT_EQ(row.itemTarget.count, 3);

    // Turning the button off makes its item inactive.
    split.button->setState(0);
    EXPECT_FALSE(row.first->active());
}

TEST(KZPopupButtonAdv, AChoiceInAMenuMarksOnlyThatItemAndSendsItsActionOnce)
{
    ActionCounter itemTarget("chooseSelection:");
    auto* rectangle = new KZMenuItem("Rectangle", "chooseSelection:");
    auto* freeForm = new KZMenuItem("Free-form", "chooseSelection:");
    auto* plain = new QAction("Select All");
    for (KZMenuItem* item : {rectangle, freeForm})
        item->setTarget(&itemTarget);
    freeForm->setImage(swatch(qRgb(40, 90, 200)));
    KZMenu menu("Selection", {plain, rectangle, freeForm});
    EXPECT_EQ(menu.selectedItem(), rectangle) << "the first item of the menu's own kind";

    SplitButton split(&menu);
    EXPECT_EQ(split.button->selectedItem(), rectangle);
    EXPECT_EQ(split.button->state(), 0);

    // The drop part pops the menu up at the button's bottom-left corner.
    split.button->raisePanel(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    EXPECT_EQ(menu.geometry().topLeft(), split.button->mapToGlobal(QPoint(0, split.button->height())));
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(freeForm).center());

    EXPECT_TRUE(freeForm->active());
    EXPECT_TRUE(freeForm->isChecked());
    EXPECT_FALSE(rectangle->active());
    EXPECT_FALSE(rectangle->isChecked());
    EXPECT_EQ(menu.selectedItem(), freeForm);
    EXPECT_EQ(split.button->image(), freeForm->image());
    EXPECT_EQ(split.clickTarget.count, 1);
    EXPECT_EQ(itemTarget.count, 1);
    EXPECT_EQ(itemTarget.lastSender, freeForm);
    EXPECT_EQ(split.button->state(), 1);

    // Choosing in code marks without sending; selecting sends, even with NO.
    menu.performActionForItemAtIndex(1);
    EXPECT_EQ(menu.selectedItem(), rectangle);
    EXPECT_FALSE(freeForm->active());
    const int before = itemTarget.count;
    rectangle->setSelected(false);
    EXPECT_EQ(itemTarget.count, before + 1);
}

TEST(KZPopupButtonAdv, AnItemThatChoosesItselfAgainWhenSelectedIsHandledOnce)
{
    PlainContainer container;
    SelfChoosingItem item(container);
    SplitButton split(&container);
    container.setSelectedItem(&item);
    EXPECT_EQ(split.clickTarget.count, 1);
    EXPECT_EQ(item.selections, 1);
    EXPECT_EQ(split.button->state(), 1);
}

TEST(KZPopupButtonAdv, SelectingByIndexUpdatingAndTheBackgroundBits)
{
    auto* first = new KZMenuItem("One", "pick:");
    auto* second = new KZMenuItem("Two", "pick:");
    KZMenu menu("Menu", {first, second});
    SplitButton split(&menu);
    EXPECT_FALSE(split.button->selectItemAtIndex(0)) << "already the selected one";
    EXPECT_FALSE(split.button->selectItemAtIndex(7));
    EXPECT_TRUE(split.button->selectItemAtIndex(1));
    EXPECT_EQ(menu.selectedItem(), second);

    ButtonRow row;
    split.button->setContainer(row.menu);
    EXPECT_FALSE(split.button->selectItemAtIndex(0)) << "a button row cannot index its items";

    // The selected item decides whether the action part may be used.
    split.actionPart->setEnabled(false);
    split.button->performUpdate();
    EXPECT_TRUE(split.actionPart->isEnabled());
    second->setEnabled(false);
    split.button->performUpdate();
    EXPECT_FALSE(split.actionPart->isEnabled());
    PlainContainer container;
    SelfChoosingItem silent(container); // no answer: usable
    split.button->setSelectedItem(&silent);
    split.button->performUpdate();
    EXPECT_TRUE(split.actionPart->isEnabled());

    EXPECT_EQ(split.button->backgroundStateBits(), 1u);
    split.button->setState(1);
    QTest::mouseMove(split.button, QPoint(20, 48));
    EXPECT_EQ(split.button->backgroundStateBits(), 1u | 2u | 4u);
}

TEST(KZPopupButtonAdv, PicturesOffOnAndHovered)
{
    ButtonRow row;
    row.second->setActive(true);
    SplitButton split(row.menu);
    row.menu->setSelectedItem(row.second);
    split.button->setState(0);
    expectMatchesGolden("popupbuttonadv_off", controlPicture(*split.host, split.button));
    split.button->setState(1);
    expectMatchesGolden("popupbuttonadv_on", controlPicture(*split.host, split.button));
    QTest::mouseMove(split.button, QPoint(20, 48));
    expectMatchesGolden("popupbuttonadv_on_hovered", controlPicture(*split.host, split.button));
}
