#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/ColorList.h"
#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/Responder.h"
#include "platform/foundation/NotificationCenter.h"

#include <QColorDialog>
#include <gtest/gtest.h>

TEST(ColorList, ParsesNamedColoursAndTheCrayonsHoldLicoriceAndSnow)
{
    const platform::ColorList list = platform::ColorList::fromText(
        QStringLiteral("Test"), QStringLiteral("# a comment\n#FF0000 Red Alert\n#00FF0080 Half Green\nnonsense\n"));
    EXPECT_EQ(list.allKeys(), (QStringList{QStringLiteral("Red Alert"), QStringLiteral("Half Green")}));
    EXPECT_EQ(*list.colorWithKey(QStringLiteral("Half Green")), QColor(0, 255, 0, 128));
    EXPECT_FALSE(list.colorWithKey(QStringLiteral("Blue")).has_value());

    const platform::ColorList* crayons = platform::ColorList::named(QStringLiteral("Crayons"));
    ASSERT_NE(crayons, nullptr);
    EXPECT_EQ(*crayons->colorWithKey(QStringLiteral("Licorice")), QColor(0, 0, 0));
    EXPECT_EQ(*crayons->colorWithKey(QStringLiteral("Snow")), QColor(255, 255, 255));
    EXPECT_EQ(platform::ColorList::named(QStringLiteral("NoSuchList")), nullptr);
}

TEST(ColorPanel, PicksReachTheResponderChainOnlyWhenTheyCount)
{
    class ColourTarget : public platform::Responder {
    public:
        ColourTarget() { addAction(QStringLiteral("changeColor:"), [this](QObject*) { ++changes; }); }
        int changes = 0;
    } target;
    auto& router = platform::ActionRouter::shared();
    router.addApplicationResponder(&target);
    int notifications = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &target, platform::ColorPanel::colorDidChangeNotification(), nullptr,
        [&notifications](const platform::Notification&) { ++notifications; });

    auto& panel = platform::ColorPanel::shared();
    panel.setShowsAlpha(true);
    panel.setMode(platform::ColorPanel::CrayonMode);
    EXPECT_TRUE(panel.dialog()->testOption(QColorDialog::ShowAlphaChannel));
    EXPECT_EQ(QColorDialog::customColor(0), QColor(0, 0, 0));

    panel.setContinuous(false);
    panel.userDidPickColor(QColor(1, 2, 3), false);
    EXPECT_EQ(target.changes, 0);
    panel.userDidPickColor(QColor(1, 2, 3, 100), true);
    EXPECT_EQ(target.changes, 1);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(panel.color(), QColor(1, 2, 3, 100));

    panel.setContinuous(true);
    panel.userDidPickColor(QColor(4, 5, 6), false);
    EXPECT_EQ(target.changes, 2);

    platform::NotificationCenter::defaultCenter().removeObserver(&target);
    router.removeApplicationResponder(&target);
}
