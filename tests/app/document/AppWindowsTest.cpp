#include "PrivacyPolicyWindowController.h"
#include "SWAppController.h"
#include "SWDocument.h"
#include "SWPreferenceController.h"
#include "SWPrintPanelAccessoryViewController.h"
#include "SWSizeWindowController.h"
#include "StderrCapture.h"

#include "ZIDAboutWindowController.h"

#include "platform/appkit/Application.h"
#include "platform/appkit/DocumentController.h"
#include "platform/appkit/PrintInfo.h"
#include "platform/foundation/Bundle.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
class AppWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::DocumentController::shared().setQuitsWhenLastDocumentCloses(false);
        platform::Application::setModifierFlagsForTesting(0);
    }
    void TearDown() override
    {
        platform::Application::setModifierFlagsForTesting(std::nullopt);
        platform::DocumentController::shared().closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QString labelText(QWidget* window, const char* name)
{
    auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<none>");
}
} // namespace

TEST_F(AppWindowsTest, AboutShowsNameVersionCopyrightAndCreditsAndIsKept)
{
    SWAppController controller;
    controller.aboutMenuItemDidClick();
    ZIDAboutWindowController* about = controller.aboutWindowController();
    ASSERT_NE(about, nullptr);
    QWidget* window = about->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "About Velumo");
    EXPECT_EQ(labelText(window, "appNameLabel"), "Velumo");
    EXPECT_TRUE(labelText(window, "appVersionLabel").contains(platform::Bundle::shortVersion()));
    EXPECT_EQ(labelText(window, "appCopyrightLabel"), SWAppController::copyright());
    // The program's own credits, then the libraries'.
    const QString credits = about->creditsTextView()->toPlainText();
    const qsizetype own = credits.indexOf(QStringLiteral("Velumo is a paint program"));
    const qsizetype library = credits.indexOf(QStringLiteral("VTRUI"));
    EXPECT_GE(own, 0);
    EXPECT_GT(library, own);
    EXPECT_FALSE(about->visitWebsiteButton()->isVisible());
    EXPECT_TRUE(about->privacyPolicyButton()->isVisible());

    window->close();
    controller.aboutMenuItemDidClick();
    EXPECT_EQ(controller.aboutWindowController(), about);
    EXPECT_TRUE(window->isVisible());

    // Its buttons come back here: feedback, and our own privacy-policy window.
    {
        StderrCapture log;
        about->feedbackButton()->click();
        EXPECT_EQ(log.count(QStringLiteral("showFeedbackDialog:inMode:")), 1);
    }
    about->privacyPolicyButton()->click();
    PrivacyPolicyWindowController* policy = PrivacyPolicyWindowController::sharedPrivacyPolicyWindowController();
    EXPECT_TRUE(policy->window()->isVisible());
    policy->window()->close();
    window->close();
}

TEST_F(AppWindowsTest, PreferencesAreMadeOnceAndNewAsksForTheSize)
{
    SWAppController controller;
    controller.showPreferencePanel();
    SWPreferenceController* preferences = controller.preferenceController();
    ASSERT_NE(preferences, nullptr);
    EXPECT_TRUE(preferences->window()->isVisible());
    controller.showPreferencePanel();
    EXPECT_EQ(controller.preferenceController(), preferences);
    preferences->window()->close();

    // File > New opens a picture and asks for its size at once.
    controller.newDocument();
    auto* document = qobject_cast<SWDocument*>(platform::DocumentController::shared().documents().last());
    ASSERT_NE(document, nullptr);
    ASSERT_NE(document->sizeController(), nullptr);
    EXPECT_TRUE(document->sizeController()->window()->isVisible());
    EXPECT_EQ(document->sizeController()->window()->parentWidget(), document->window());
    document->sizeController()->endSheet(1);
}

TEST_F(AppWindowsTest, ThePrintAccessorySummarisesItsScaling)
{
    platform::PrintInfo info;
    SWPrintPanelAccessoryViewController accessory;
    accessory.setRepresentedObject(&info);
    accessory.setScaling(true);
    using Item = QPair<QString, QString>;
    EXPECT_EQ(accessory.localizedSummaryItems(), QList<Item>({Item("Scaling", "On")}));
    accessory.setScaling(false);
    EXPECT_EQ(accessory.localizedSummaryItems(), QList<Item>({Item("Scaling", "Off")}));
    EXPECT_EQ(SWPrintPanelAccessoryViewController::keyPathsForValuesAffectingPreview(), QSet<QString>({"scaling"}));
}
