#include "SWPrintPanelAccessoryViewController.h"

#include "platform/appkit/PrintInfo.h"
#include "platform/foundation/UserDefaults.h"

#include <QCheckBox>
#include <gtest/gtest.h>

TEST(SWPrintPanelAccessoryViewController, FitsThePageUnlessTheSettingSaysNo)
{
    auto& defaults = platform::UserDefaults::standard();
    const QString key = QStringLiteral("ScaleImageToFitPage");
    struct Case {
        QVariant stored; // invalid: absent
        bool scaling;
    } cases[] = {{QVariant(), true}, {QVariant(true), true}, {QVariant(false), false}};
    for (const Case& c : cases) {
        if (c.stored.isValid())
            defaults.setValue(key, c.stored);
        else
            defaults.removeValue(key);
        platform::PrintInfo info;
        SWPrintPanelAccessoryViewController accessory;
        accessory.setRepresentedObject(&info);
        EXPECT_EQ(accessory.scaling(), c.scaling);
        const int expected = c.scaling ? platform::PrintInfo::FitPagination : platform::PrintInfo::AutoPagination;
        EXPECT_EQ(info.horizontalPagination(), expected);
        EXPECT_EQ(info.verticalPagination(), expected);
    }
    defaults.removeValue(key);

    // The switch writes into the print information.
    platform::PrintInfo info;
    SWPrintPanelAccessoryViewController accessory;
    accessory.setRepresentedObject(&info);
    auto* toggle = accessory.view()->findChild<QCheckBox*>();
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isChecked());
    toggle->setChecked(false);
    EXPECT_FALSE(accessory.scaling());
    EXPECT_EQ(info.horizontalPagination(), platform::PrintInfo::AutoPagination);
}
