#include "PrivacyPolicyWindowController.h"
#include "SWPreferenceController.h"
#include "StderrCapture.h"
#include "support/DocumentWindowFixture.h"

#include "UIUtil.h"

#include "platform/appkit/UndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {
class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& defaults = platform::UserDefaults::standard();
        defaults.registerDefaults({{QStringLiteral("UndoLevels"), 128},
                                   {QStringLiteral("FileType"), QStringLiteral("PNG")},
                                   {QStringLiteral("AllowAntialias"), true}});
        for (const char* key : {"UndoLevels", "FileType", "AllowAntialias"})
            defaults.removeValue(QString::fromLatin1(key));
        platform::NotificationCenter::defaultCenter().addObserver(
            this, QStringLiteral("UndoLevels"), nullptr,
            [this](const platform::Notification& n) { posted.push_back(n.object.toInt()); });
        previousPresenter =
            UIUtil::setAlertPresenter([this](const UIUtil::AlertRequest& r) { alerts << r.messageText; });
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        UIUtil::setAlertPresenter(previousPresenter);
        for (const char* key : {"UndoLevels", "FileType", "AllowAntialias"})
            platform::UserDefaults::standard().removeValue(QString::fromLatin1(key));
    }

    // Some picture commands, each its own undo step.
    static void takeSteps(SWDocument* document, int steps)
    {
        for (int i = 0; i < steps; ++i) {
            document->invertColors();
            QApplication::processEvents();
        }
    }

    std::vector<int> posted;
    QStringList alerts;
    UIUtil::AlertPresenter previousPresenter;
};
} // namespace

TEST_F(PreferencesTest, TheControlsShowTheSettingsAndStoreEveryChange)
{
    auto& defaults = platform::UserDefaults::standard();
    defaults.setValue(QStringLiteral("FileType"), QStringLiteral("TIFF"));
    defaults.setValue(QStringLiteral("AllowAntialias"), false);
    SWPreferenceController preferences;
    preferences.window();
    EXPECT_EQ(preferences.window()->windowTitle(), "General");
    EXPECT_EQ(preferences.fileTypeButton()->currentText(), "TIFF");
    EXPECT_EQ(preferences.fileTypeButton()->count(), 5);
    EXPECT_FALSE(preferences.antialiasButton()->isChecked());
    EXPECT_EQ(preferences.undoTextField()->text(), "128");
    EXPECT_EQ(preferences.undoStepper()->value(), 128);

    preferences.fileTypeButton()->setCurrentIndex(preferences.fileTypeButton()->findText("JPEG"));
    preferences.changeFileType();
    EXPECT_EQ(defaults.string(QStringLiteral("FileType")), "JPEG");
    preferences.antialiasButton()->click();
    EXPECT_TRUE(defaults.boolean(QStringLiteral("AllowAntialias")));
    preferences.antialiasButton()->click();
    EXPECT_FALSE(defaults.boolean(QStringLiteral("AllowAntialias")));
}

TEST_F(PreferencesTest, TheUndoLimitAppliesWhenEditingEndsAndReachesEveryDocument)
{
    DocumentWindowFixture first;
    DocumentWindowFixture second;
    takeSteps(first.document, 5);
    SWPreferenceController preferences;
    preferences.showWindow();
    VTRNumericTextField* field = preferences.undoTextField();
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    // Typing "200" passes through 2 and 20: nothing applies yet, so no
    // history is dropped on the way.
    QTest::keyClicks(field, "200");
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(first.document->undoManager()->undoCount(), 5);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(posted, std::vector<int>{200});
    EXPECT_EQ(platform::UserDefaults::standard().integer(QStringLiteral("UndoLevels")), 200);
    EXPECT_EQ(first.document->undoManager()->levelsOfUndo(), 200);
    EXPECT_EQ(second.document->undoManager()->levelsOfUndo(), 200);
    EXPECT_EQ(first.document->undoManager()->undoCount(), 5);

    // A lower limit drops the oldest steps of every document at once.
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    QTest::keyClicks(field, "2");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(first.document->undoManager()->undoCount(), 2);
    EXPECT_EQ(second.document->undoManager()->levelsOfUndo(), 2);
    EXPECT_EQ(preferences.undoStepper()->value(), 2);

    // The stepper applies at every click and shows in the field.
    preferences.undoStepper()->upButton()->click();
    EXPECT_EQ(posted.back(), 3);
    EXPECT_EQ(preferences.undoTextField()->text(), "3");
    EXPECT_EQ(second.document->undoManager()->levelsOfUndo(), 3);
    preferences.window()->close();
}

TEST_F(PreferencesTest, ANegativeUndoLimitIsRefusedAndTheLimitStays)
{
    SWPreferenceController preferences;
    preferences.showWindow();
    VTRNumericTextField* field = preferences.undoTextField();
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    QTest::keyClicks(field, "-5");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(field->text(), "128");
    EXPECT_EQ(platform::UserDefaults::standard().integer(QStringLiteral("UndoLevels")), 128);
    EXPECT_EQ(preferences.undoStepper()->value(), 128);
    // The stepper stops at 0 (no limit).
    preferences.undoStepper()->setValue(0);
    preferences.undoStepper()->stepDown();
    EXPECT_EQ(preferences.undoStepper()->value(), 0);
    preferences.window()->close();
}

TEST_F(PreferencesTest, PaneButtonsSwitchTheViewAndTheWindowKeepsItsTopEdge)
{
    SWPreferenceController preferences;
    preferences.showWindow();
    QWidget* window = preferences.window();
    EXPECT_EQ(preferences.toolbarSelectableItemIdentifiers(), QStringList({"General", "Advanced"}));
    const QRect general = window->geometry();
    EXPECT_TRUE(preferences.generalPrefsView()->isVisible());
    EXPECT_FALSE(preferences.advancedPrefsView()->isVisible());

    preferences.paneItem(SWPreferenceController::AdvancedTag)->trigger();
    const QRect advanced = window->geometry();
    EXPECT_EQ(window->windowTitle(), "Advanced");
    EXPECT_EQ(preferences.currentViewTag(), SWPreferenceController::AdvancedTag);
    EXPECT_EQ(advanced.top(), general.top());
    EXPECT_EQ(advanced.left(), general.left());
    EXPECT_EQ(advanced.height() - general.height(),
              preferences.advancedPrefsView()->height() - preferences.generalPrefsView()->height());
    EXPECT_TRUE(preferences.advancedPrefsView()->isVisible());
    EXPECT_FALSE(preferences.generalPrefsView()->isVisible());
    EXPECT_TRUE(preferences.paneItem(SWPreferenceController::AdvancedTag)->isChecked());

    preferences.paneItem(SWPreferenceController::GeneralTag)->trigger();
    EXPECT_EQ(window->geometry(), general);
    EXPECT_EQ(window->windowTitle(), "General");

    // An unknown tag leaves the outputs alone.
    QWidget* view = window;
    QString title = "unchanged";
    preferences.viewForTag(7, &view, &title);
    EXPECT_EQ(view, window);
    EXPECT_EQ(title, "unchanged");
    window->close();
}

TEST_F(PreferencesTest, ThePrivacyPolicyWindowIsOneAndShowsThePolicy)
{
    PrivacyPolicyWindowController* shared = PrivacyPolicyWindowController::sharedPrivacyPolicyWindowController();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(PrivacyPolicyWindowController::sharedPrivacyPolicyWindowController(), shared);
    {
        StderrCapture log;
        EXPECT_EQ(PrivacyPolicyWindowController::allocate(), nullptr);
        EXPECT_EQ(log.count(QStringLiteral(
                      "*** Error: alloc another object!!! This MACRO only supports really singleton class.")),
                  1);
    }
    shared->showWindow();
    ASSERT_NE(shared->textView(), nullptr);
    EXPECT_TRUE(shared->textView()->toPlainText().contains("Your pictures are yours"));
    EXPECT_TRUE(shared->textView()->isReadOnly());

    // Without the file the text view keeps what it shows.
    const QByteArray share = qgetenv("VELUMO_SHARE_DIR");
    qputenv("VELUMO_SHARE_DIR", "/nonexistent");
    shared->textView()->setPlainText("kept");
    shared->loadDataInTextView();
    EXPECT_EQ(shared->textView()->toPlainText(), "kept");
    qputenv("VELUMO_SHARE_DIR", share);
    shared->loadDataInTextView();
    EXPECT_TRUE(shared->textView()->toPlainText().contains("Your pictures are yours"));
    shared->window()->close();
}
