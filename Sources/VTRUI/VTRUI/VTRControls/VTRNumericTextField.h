#pragma once

#include "VTRNumberFormatter.h"

#include <QLineEdit>

#include <functional>
#include <optional>

// A text field for one number between a minimum and a maximum. When editing
// ends (Return, or focus moving elsewhere in the window) the text is checked:
// a number in range is kept and shown in the field's format; anything else is
// replaced by the last valid value, with a beep and an alert that names the
// required range (unless alerts are disabled). actionSent() follows every end
// of editing and already sees the corrected text.
//
// Without an outer formatter the field formats and parses with a fresh
// formatter made from allowsFloats, minimumValue and maximumValue: whole
// numbers or at most two fraction digits, no grouping, "." as decimal point.
class VTRNumericTextField : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool allowsFloats READ allowsFloats WRITE setAllowsFloats)
    Q_PROPERTY(double minimumValue READ minimumValue WRITE setMinimumValue)
    Q_PROPERTY(double maximumValue READ maximumValue WRITE setMaximumValue)
    Q_PROPERTY(double currentValue READ currentValue WRITE setCurrentValue)

public:
    explicit VTRNumericTextField(QWidget* parent = nullptr);
    ~VTRNumericTextField() override;

    bool allowsFloats() const { return m_allowsFloats; }
    void setAllowsFloats(bool allows) { m_allowsFloats = allows; }
    double minimumValue() const { return m_minimumValue; }
    void setMinimumValue(double value) { m_minimumValue = value; }
    double maximumValue() const { return m_maximumValue; }
    void setMaximumValue(double value) { m_maximumValue = value; }
    const std::optional<VTRNumberFormatter>& outerNumberFormatter() const { return m_outerNumberFormatter; }
    void setOuterNumberFormatter(std::optional<VTRNumberFormatter> formatter);
    double lastValidValue() const { return m_lastValidValue; }
    bool disabledCorrectUserInputsAlert() const { return m_disabledCorrectUserInputsAlert; }

    // The text read as a number; 0 (with a logged check) when it is none.
    double currentValue() const;
    // Stores the value as the last valid one and shows it as a plain number.
    // No range check.
    void setCurrentValue(double value);
    // Takes a value within the range and shows it in the field's format; a
    // value outside is logged and ignored.
    void updateCurrentValueOnlyNeeded(double value);
    void updateWithFloatValue(double value);

    QString stringFromFloatValue(double value) const;
    // The number with no prefix or suffix; a negative number keeps its minus.
    QString stringFromFloatValueWithoutPrefixesSuffixes(double value) const;
    std::optional<double> fetchUserInputNumber() const;
    VTRNumberFormatter findCurrentNumberFormatter() const;
    // Nothing puts the field's own formatter back.
    void replaceNumberFormatter(std::optional<VTRNumberFormatter> formatter);
    static void configNumberFormatterForNumberFormatter(VTRNumberFormatter& formatter, bool allowsFloats,
                                                        double minValue, double maxValue, const QString& suffix);

    // Checks the text and corrects it. The message to show, or an empty text
    // when the text was a valid number.
    QString checkAndCorrectTextOnControls();

    void disableCorrectUserInputsAlert() { m_disabledCorrectUserInputsAlert = true; }
    void enableCorrectUserInputsAlert() { m_disabledCorrectUserInputsAlert = false; }

    void selectAllText();
    // Ends editing now: check, correct, send the action, alert. Owners call it
    // to commit what is typed before they read the value (for example when a
    // sheet closes while the field still has focus).
    void textDidEndEditing();

    // The widget that takes the focus when editing ends with Return: the one
    // the window names, else the first widget of its tab chain.
    static void setInitialFirstResponder(QWidget* window, QWidget* responder);
    static QWidget* initialFirstResponder(QWidget* window);

signals:
    void actionSent();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void customInit();
    // Whether the focus leaves for the window's Cancel button or because the
    // window closes: what is typed is then dropped, not checked.
    bool focusLeavesToCancel() const;
    // The end-of-editing sequence around the line edit's own handling.
    void endEditing(const std::function<void()>& baseHandling);

    double m_lastValidValue = 1.0;
    bool m_allowsFloats = false;
    double m_minimumValue = 1.0;
    double m_maximumValue = 999.0;
    std::optional<VTRNumberFormatter> m_outerNumberFormatter;
    bool m_disabledCorrectUserInputsAlert = false;
    // Set while an end of editing runs: the alert it shows (or the focus it
    // hands on) must not start a second one.
    bool m_endingEditing = false;
};
