#include "VTRNumericTextField.h"
#include "VTRUITestSupport.h"

#include "platform/foundation/Timer.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QPushButton>
#include <QTest>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kIntegerMessage1To999 =
    QStringLiteral("Invalid numeric entry. An integer between 1 and 999 is required. Previous value inserted.");
const QString kNumberMessage1To999 =
    QStringLiteral("Invalid numeric entry. A number between 1 and 999 is required. Previous value inserted.");

// A field and a neighbour in an active window, alerts recorded.
class NumericFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        field = new VTRNumericTextField;
        neighbour = new QLineEdit;
        layout->addWidget(field);
        layout->addWidget(neighbour);
        QObject::connect(field, &VTRNumericTextField::actionSent, [this] {
            ++actions;
            textSeenByAction = field->text();
        });
    }

    // Types the text into the focused field and presses Return.
    void typeAndReturn(const QString& text)
    {
        field->setFocus(Qt::OtherFocusReason);
        field->setText(text);
        pressKey(field, Qt::Key_Return);
    }

    // The delayed select-all waits for this clock.
    platform::ManualClock clock;
    QWidget window;
    VTRNumericTextField* field = nullptr;
    QLineEdit* neighbour = nullptr;
    AlertRecorder alerts;
    DebugLogCapture log;
    int actions = 0;
    QString textSeenByAction;
};

TEST_F(NumericFieldTest, NewFieldShowsOneAndTakesWholeNumbersFrom1To999)
{
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(field->currentValue(), 1.0);
    EXPECT_EQ(field->lastValidValue(), 1.0);
    EXPECT_FALSE(field->allowsFloats());
    EXPECT_EQ(field->minimumValue(), 1.0);
    EXPECT_EQ(field->maximumValue(), 999.0);
    EXPECT_FALSE(field->outerNumberFormatter().has_value());
    EXPECT_FALSE(field->disabledCorrectUserInputsAlert());
}

struct CorrectionCase {
    const char* name;
    bool allowsFloats;
    double min;
    double max;
    const char* typed;
    const char* shownAfter;
    double lastValidAfter;
    QString message; // empty: accepted
};

TEST_F(NumericFieldTest, CorrectionTable)
{
    const QString integerMinus5To10 =
        QStringLiteral("Invalid numeric entry. An integer between -5 and 10 is required. Previous value inserted.");
    const CorrectionCase cases[] = {
        {"in range", false, 1, 999, "500", "500", 500, {}},
        {"lower bound", false, 1, 999, "1", "1", 1, {}},
        {"upper bound", false, 1, 999, "999", "999", 999, {}},
        {"whole number with fraction shown plainly", false, 1, 999, "5.0", "5", 5, {}},
        {"fraction in whole-number field", false, 1, 999, "2.5", "1", 1, kIntegerMessage1To999},
        {"one thousand", false, 1, 999, "1000", "1", 1, kIntegerMessage1To999},
        {"below minimum", false, 1, 999, "0", "1", 1, kIntegerMessage1To999},
        {"grouping separator", false, 1, 9999, "1,000", "1", 1,
         QStringLiteral("Invalid numeric entry. An integer between 1 and 9999 is required. Previous value inserted.")},
        {"empty", false, 1, 999, "", "1", 1, kIntegerMessage1To999},
        {"letters", false, 1, 999, "abc", "1", 1, kIntegerMessage1To999},
        {"two fraction digits at most", true, 1, 999, "3.14159", "3.14", 3.14, {}},
        {"letters with fractions allowed", true, 1, 999, "x", "1", 1, kNumberMessage1To999},
        {"negative bound keeps its sign", false, -5, 10, "x", "1", 1, integerMinus5To10},
    };
    for (const CorrectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        field->setAllowsFloats(c.allowsFloats);
        field->setMinimumValue(c.min);
        field->setMaximumValue(c.max);
        field->setCurrentValue(1.0);
        alerts.clear();
        actions = 0;

        typeAndReturn(QString::fromUtf8(c.typed));

        EXPECT_EQ(field->text(), QString::fromUtf8(c.shownAfter));
        EXPECT_DOUBLE_EQ(field->lastValidValue(), c.lastValidAfter);
        EXPECT_EQ(actions, 1);
        EXPECT_EQ(textSeenByAction, QString::fromUtf8(c.shownAfter)); // the action sees the corrected text
        if (c.message.isEmpty()) {
            EXPECT_EQ(alerts.count(), 0);
        } else {
            ASSERT_EQ(alerts.count(), 1);
            EXPECT_EQ(alerts.lastMessage(), c.message);
            EXPECT_EQ(alerts.alerts().last().icon, QMessageBox::Warning);
        }
    }
}

TEST_F(NumericFieldTest, RangeInMessageNeverCarriesTheSuffix)
{
    VTRNumberFormatter outer;
    VTRNumericTextField::configNumberFormatterForNumberFormatter(outer, false, 1, 999, QStringLiteral(" px"));
    field->replaceNumberFormatter(outer);
    field->updateCurrentValueOnlyNeeded(20);
    EXPECT_EQ(field->text(), "20 px");
    EXPECT_EQ(field->currentValue(), 20.0);

    typeAndReturn(QStringLiteral("1000 px"));
    EXPECT_EQ(field->text(), "20 px");
    EXPECT_EQ(alerts.lastMessage(), kIntegerMessage1To999);

    field->replaceNumberFormatter(std::nullopt); // back to the field's own
    EXPECT_EQ(field->stringFromFloatValue(20), "20");
}

TEST_F(NumericFieldTest, DisabledAlertsCorrectSilently)
{
    field->disableCorrectUserInputsAlert();
    typeAndReturn(QStringLiteral("abc"));
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(alerts.count(), 0);
    field->enableCorrectUserInputsAlert();
    typeAndReturn(QStringLiteral("abc"));
    EXPECT_EQ(alerts.count(), 1);
}

TEST_F(NumericFieldTest, LastValidValueOutOfRangeFallsBackToTheMinimum)
{
    field->setCurrentValue(5000); // no range check here
    EXPECT_EQ(field->text(), "5000");
    typeAndReturn(QStringLiteral("abc"));
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(field->lastValidValue(), 1.0);
    EXPECT_TRUE(log.contains(QStringLiteral("}:ERR *** Error Got ***")));
    EXPECT_EQ(alerts.count(), 1);
}

TEST_F(NumericFieldTest, UpdateOnlyNeededLeavesAnEqualTextAloneAndIgnoresOutOfRange)
{
    field->setText(QStringLiteral("5"));
    field->setCursorPosition(0);
    field->updateCurrentValueOnlyNeeded(5.0);
    EXPECT_EQ(field->cursorPosition(), 0) << "the text was replaced by an equal one";
    EXPECT_EQ(field->lastValidValue(), 5.0);

    field->updateCurrentValueOnlyNeeded(42);
    EXPECT_EQ(field->text(), "42");
    EXPECT_EQ(log.lines().size(), 0);

    field->updateCurrentValueOnlyNeeded(1000);
    field->updateCurrentValueOnlyNeeded(0.5);
    EXPECT_EQ(field->text(), "42");
    EXPECT_EQ(field->lastValidValue(), 42.0);
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines().first().startsWith("{x VTRNumericTextField::updateCurrentValueOnlyNeeded "));
    EXPECT_TRUE(log.lines().first().endsWith("}:ERR *** Error Got ***"));
}

TEST_F(NumericFieldTest, CurrentValueOfTextThatIsNoNumberIsZeroAndChecked)
{
    field->setText(QStringLiteral("abc"));
    EXPECT_EQ(field->currentValue(), 0.0);
    EXPECT_TRUE(log.contains(QStringLiteral(":ERR VTRNumericTextField: Cannot fetch user input number")));
}

TEST_F(NumericFieldTest, SetCurrentValueShowsThePlainNumber)
{
    field->setAllowsFloats(true);
    field->setCurrentValue(2.5);
    EXPECT_EQ(field->text(), "2.5");
    field->setCurrentValue(3.14159); // plain, not through the formatter
    EXPECT_EQ(field->text(), "3.14159");
    EXPECT_EQ(field->lastValidValue(), 3.14159);
}

TEST_F(NumericFieldTest, CorrectionAlertShowsOnceWhenFocusMoves)
{
    ASSERT_TRUE(showAndActivate(window));
    MessageBoxDismisser boxes; // the real, modal box: it takes the activation
    field->setFocus(Qt::MouseFocusReason);
    processEventsFor(20);
    ASSERT_TRUE(field->hasFocus());
    field->setText(QStringLiteral("abc"));

    neighbour->setFocus(Qt::TabFocusReason);
    processEventsFor(100);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(actions, 1);

    // Back and away again with the corrected text: nothing more to say.
    field->setFocus(Qt::MouseFocusReason);
    processEventsFor(20);
    neighbour->setFocus(Qt::TabFocusReason);
    processEventsFor(100);
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(NumericFieldTest, CorrectionAlertShowsOnceOnReturn)
{
    ASSERT_TRUE(showAndActivate(window));
    MessageBoxDismisser boxes;
    field->setFocus(Qt::MouseFocusReason);
    processEventsFor(20);
    field->setText(QStringLiteral("2000"));
    pressKey(field, Qt::Key_Return);
    processEventsFor(100);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.texts().value(0), kIntegerMessage1To999);
    EXPECT_EQ(actions, 1);
    // Editing ended: focus went to the window's initial first responder,
    // here the field itself (the first in the window's tab chain).
    EXPECT_EQ(window.focusWidget(), field);
}

TEST_F(NumericFieldTest, WindowDeactivationDoesNotEndEditing)
{
    field->setText(QStringLiteral("ab"));
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(field, &deactivated);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(field, &popup);
    EXPECT_EQ(field->text(), "ab");
    EXPECT_EQ(alerts.count(), 0);
    EXPECT_EQ(actions, 0);
}

TEST_F(NumericFieldTest, GainingFocusSelectsTheWholeText)
{
    ASSERT_TRUE(showAndActivate(window));
    field->setText(QStringLiteral("123"));
    neighbour->setFocus(Qt::OtherFocusReason);
    field->setFocus(Qt::MouseFocusReason);
    field->setCursorPosition(1);
    clock.advance(49);
    EXPECT_TRUE(field->selectedText().isEmpty());
    clock.advance(1);
    EXPECT_EQ(field->selectedText(), "123");
}

TEST_F(NumericFieldTest, EndingEditingByCallCommitsTypedText)
{
    field->setText(QStringLiteral("77"));
    field->textDidEndEditing();
    EXPECT_EQ(field->lastValidValue(), 77.0);
    EXPECT_EQ(actions, 1);
}

} // namespace

namespace {

TEST(NumericFieldLifetime, FieldClosedWhileItsAlertIsUpIsLeftAlone)
{
    auto* field = new VTRNumericTextField;
    int afterwards = 0;
    const auto previous = UIUtil::setAlertPresenter([&](const UIUtil::AlertRequest&) { delete field; });
    field->setText(QStringLiteral("abc"));
    field->textDidEndEditing(); // must not touch the deleted field
    ++afterwards;
    UIUtil::setAlertPresenter(previous);
    EXPECT_EQ(afterwards, 1);
}

} // namespace

namespace {

// A sheet with a field and OK and Cancel buttons, alerts recorded.
struct FieldSheet {
    FieldSheet()
    {
        auto* layout = new QVBoxLayout(&sheet);
        first = new QLineEdit;
        field = new VTRNumericTextField;
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        layout->addWidget(first);
        layout->addWidget(field);
        layout->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &sheet, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);
        QObject::connect(&sheet, &QDialog::finished, [this](int r) { result = r; });
    }
    bool openWithBadEntry()
    {
        result = -1;
        if (!showAndActivate(sheet))
            return false;
        field->setFocus(Qt::MouseFocusReason);
        field->setText(QStringLiteral("abc"));
        return field->hasFocus();
    }

    AlertRecorder alerts;
    QDialog sheet;
    QLineEdit* first = nullptr;
    VTRNumericTextField* field = nullptr;
    QDialogButtonBox* buttons = nullptr;
    int result = -1;
};

TEST(NumericFieldInASheet, CancelAndClosingTheSheetDoNotCheckTheEntry)
{
    FieldSheet s;
    ASSERT_TRUE(s.openWithBadEntry());
    QTest::mouseClick(s.buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_EQ(s.result, int(QDialog::Rejected));
    EXPECT_EQ(s.alerts.count(), 0);

    // Escape closes the sheet: no check either.
    ASSERT_TRUE(s.openWithBadEntry());
    pressKey(s.field, Qt::Key_Escape);
    EXPECT_EQ(s.result, int(QDialog::Rejected));
    EXPECT_EQ(s.alerts.count(), 0);

    // Any other way out of the field still checks it.
    ASSERT_TRUE(s.openWithBadEntry());
    s.first->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(s.alerts.count(), 1);
    EXPECT_EQ(s.field->text(), "1");
    s.sheet.reject();
}

TEST(NumericField, ReturnHandsTheFocusToTheWindowsInitialFirstResponder)
{
    AlertRecorder alerts;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit;
    auto* field = new VTRNumericTextField;
    auto* named = new QLineEdit;
    layout->addWidget(first);
    layout->addWidget(field);
    layout->addWidget(named);
    ASSERT_TRUE(showAndActivate(window));
    field->setFocus(Qt::MouseFocusReason);
    field->setText(QStringLiteral("12"));
    pressKey(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), "12");
    // The first field of the tab chain, unless the window names another.
    EXPECT_EQ(QApplication::focusWidget(), first);

    VTRNumericTextField::setInitialFirstResponder(&window, named);
    field->setFocus(Qt::MouseFocusReason);
    field->setText(QStringLiteral("13"));
    pressKey(field, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), named);
    EXPECT_EQ(alerts.count(), 0);
}

} // namespace
