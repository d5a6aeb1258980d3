#include "UIUtil.h"
#include "VTRComposeMessage.h"
#include "VTRUITestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(UIUtil, ShowAlertIsAWarningWithABlankInformativeText)
{
    AlertRecorder recorder;
    UIUtil::showAlert(QStringLiteral("Something is wrong."));
    ASSERT_EQ(recorder.count(), 1);
    EXPECT_EQ(recorder.alerts().first().icon, QMessageBox::Warning);
    EXPECT_EQ(recorder.alerts().first().messageText, "Something is wrong.");
    EXPECT_EQ(recorder.alerts().first().informativeText, " ");
}

TEST(UIUtil, MessageBoxPresenterRunsModallyAndReturnsWhenDismissed)
{
    MessageBoxDismisser dismisser;
    UIUtil::showAlert(QStringLiteral("Shown in a real box."));
    ASSERT_EQ(dismisser.count(), 1);
    EXPECT_EQ(dismisser.texts().first(), "Shown in a real box.");
    EXPECT_EQ(dismisser.informativeTexts().first(), " ");
}

TEST(UIUtil, PresenterReplacementReturnsThePreviousOne)
{
    int first = 0;
    int second = 0;
    const auto original = UIUtil::setAlertPresenter([&](const UIUtil::AlertRequest&) { ++first; });
    UIUtil::showAlert(QStringLiteral("a"));
    const auto previous = UIUtil::setAlertPresenter([&](const UIUtil::AlertRequest&) { ++second; });
    UIUtil::showAlert(QStringLiteral("b"));
    UIUtil::setAlertPresenter(previous);
    UIUtil::showAlert(QStringLiteral("c"));
    UIUtil::setAlertPresenter(original);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 1);
}

TEST(VTRComposeMessage, FormatsItsArguments)
{
    EXPECT_EQ(VTRComposeMessage("%s has %d items (%.1f%%)", "list", 3, 42.26), "list has 3 items (42.3%)");
    EXPECT_EQ(VTRComposeMessage("%s", "\xc3\xa9t\xc3\xa9"), QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
}

} // namespace
