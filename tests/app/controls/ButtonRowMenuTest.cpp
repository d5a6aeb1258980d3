#include "KZTexturalMenu.h"
#include "KZTexturalMenuItem2.h"

#include "ControlTestSupport.h"

#include "platform/appkit/ActionRouter.h"

#include <gtest/gtest.h>

namespace {
class Validating : public ActionCounter {
public:
    explicit Validating(const QString& action)
        : ActionCounter(action)
    {
    }
    std::optional<bool> validateUserInterfaceItem(QObject*, const QString&, int) override { return answer; }
    std::optional<bool> answer;
};

// A menu with two items; the first sends "changeFillStyle:" to the target.
struct Menu {
    Validating target{"changeFillStyle:"};
    ActionCounter chain{"changeFillStyle:"}; // what the window's chain would answer
    KZTexturalMenu* menu = new KZTexturalMenu("tab_tabview");
    KZTexturalMenuItem2* first = new KZTexturalMenuItem2("btn_color", 1, menu);
    KZTexturalMenuItem2* second = new KZTexturalMenuItem2("btn_color", 1, menu);
    std::unique_ptr<ControlHost> host;
    Menu()
    {
        first->setGeometry(0, 0, 40, 40);
        second->setGeometry(40, 0, 40, 40);
        first->setTarget(&target);
        first->setAction("changeFillStyle:");
        second->setAction("changeFillStyle:"); // no target
        first->postInit();
        second->postInit();
        host = std::make_unique<ControlHost>(menu, QRect(0, 0, 80, 40));
        platform::ActionRouter::shared().setWindowResponders(&host->window, {&chain});
    }
    ~Menu() { platform::ActionRouter::shared().removeWindowResponders(&host->window); }
};
} // namespace

TEST(KZTexturalMenuItem2, AClickSendsTheKeptActionAndBecomesTheMenusChoice)
{
    Menu m;
    int choices = 0;
    QObject::connect(m.menu, &KZTexturalMenu::selectedItemChanged, [&] { ++choices; });
    QTest::mouseClick(m.first, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(m.target.count, 1);
    EXPECT_EQ(m.target.lastSender, m.first);
    EXPECT_EQ(m.menu->selectedItem(), m.first);

    // No kept target: the item is chosen and nothing is sent anywhere.
    QTest::mouseClick(m.second, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(m.menu->selectedItem(), m.second);
    EXPECT_EQ(m.chain.count, 0);
    EXPECT_EQ(m.target.count, 1);
    EXPECT_EQ(choices, 2);

    // Selecting in code acts as a choice without changing the menu's.
    m.first->setSelected(false);
    EXPECT_EQ(m.target.count, 2);
    EXPECT_EQ(m.menu->selectedItem(), m.second);
}

TEST(KZTexturalMenuItem2, OutsideAMenuItSendsButSelectsNothing)
{
    ActionCounter target("zoomIn:");
    auto* item = new KZTexturalMenuItem2("btn_color", 1);
    item->setTarget(&target);
    item->setAction("zoomIn:");
    item->postInit();
    ControlHost host(item, QRect(0, 0, 40, 40));
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(target.count, 1);
}

TEST(KZTexturalMenuItem2, UpdateEnablesFromTheKeptTargetsValidation)
{
    Menu m;
    m.menu->performUpdate();
    EXPECT_TRUE(m.first->isEnabled()); // the target gives no answer
    m.target.answer = false;
    m.menu->performUpdate();
    EXPECT_FALSE(m.first->isEnabled());
    m.target.answer = true;
    m.menu->performUpdate();
    EXPECT_TRUE(m.first->isEnabled());
    // Still its own target afterwards: a click goes through the item.
    QTest::mouseClick(m.first, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(m.menu->selectedItem(), m.first);

    // Nobody anywhere answers the action: the button stays enabled.
    KZValidatableButton lonely("btn_color", 1);
    lonely.setAction("nobodyAnswers:");
    lonely.setEnabled(false);
    lonely.performUpdate();
    EXPECT_TRUE(lonely.isEnabled());
}
