#include "VTRNumericTextField.h"

#include "ControlExtensions.h"
#include "UIUtil.h"
#include "VTRDebug.h"
#include "VTRUIStrings.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

#include "platform/foundation/Timer.h"

namespace {
constexpr int kSelectAllDelayMs = 50;

// Focus that leaves because another window became active (an alert, another
// document) or a pop-up opened comes back unchanged: editing goes on.
bool endsEditing(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
} // namespace

VTRNumericTextField::VTRNumericTextField(QWidget* parent)
    : QLineEdit(parent)
{
    customInit();
}

VTRNumericTextField::~VTRNumericTextField()
{
    setOuterNumberFormatter(std::nullopt);
}

void VTRNumericTextField::customInit()
{
    m_lastValidValue = 0.0;
    m_allowsFloats = false;
    m_maximumValue = 0.0;
    m_minimumValue = 0.0;
    setOuterNumberFormatter(std::nullopt);
    m_disabledCorrectUserInputsAlert = false;

    setAllowsFloats(false);
    setMinimumValue(1.0);
    setMaximumValue(999.0);
    setCurrentValue(1.0);
}

void VTRNumericTextField::setOuterNumberFormatter(std::optional<VTRNumberFormatter> formatter)
{
    m_outerNumberFormatter = std::move(formatter);
}

double VTRNumericTextField::currentValue() const
{
    const std::optional<double> number = fetchUserInputNumber();
    VTRDebug::verify(number.has_value(), QStringLiteral("VTRNumericTextField: Cannot fetch user input number"),
                     QString(), QStringLiteral("VTRNumericTextField::currentValue"), __LINE__);
    return number.value_or(0.0);
}

void VTRNumericTextField::setCurrentValue(double value)
{
    m_lastValidValue = value;
    vtr::setDoubleValueOnlyNeeded(this, value);
}

void VTRNumericTextField::updateCurrentValueOnlyNeeded(double value)
{
    if (m_minimumValue <= value && value <= m_maximumValue) {
        m_lastValidValue = value;
        updateWithFloatValue(value);
    } else {
        VTRDebug::errorMessage(QStringLiteral("*** Error Got ***"), QString(),
                               QStringLiteral("VTRNumericTextField::updateCurrentValueOnlyNeeded"), __LINE__);
    }
}

void VTRNumericTextField::updateWithFloatValue(double value)
{
    vtr::setStringValueOnlyNeeded(this, stringFromFloatValue(value));
}

QString VTRNumericTextField::stringFromFloatValue(double value) const
{
    return findCurrentNumberFormatter().stringFromNumber(value);
}

QString VTRNumericTextField::stringFromFloatValueWithoutPrefixesSuffixes(double value) const
{
    VTRNumberFormatter plain = findCurrentNumberFormatter();
    plain.setPositivePrefix(QString());
    // The range named in a message must keep the sign of a negative bound.
    plain.setNegativePrefix(QStringLiteral("-"));
    plain.setPositiveSuffix(QString());
    plain.setNegativeSuffix(QString());
    return plain.stringFromNumber(value);
}

std::optional<double> VTRNumericTextField::fetchUserInputNumber() const
{
    return findCurrentNumberFormatter().numberFromString(text());
}

VTRNumberFormatter VTRNumericTextField::findCurrentNumberFormatter() const
{
    if (m_outerNumberFormatter)
        return *m_outerNumberFormatter;
    VTRNumberFormatter formatter;
    configNumberFormatterForNumberFormatter(formatter, m_allowsFloats, m_minimumValue, m_maximumValue, QString());
    return formatter;
}

void VTRNumericTextField::replaceNumberFormatter(std::optional<VTRNumberFormatter> formatter)
{
    setOuterNumberFormatter(std::move(formatter));
}

void VTRNumericTextField::configNumberFormatterForNumberFormatter(VTRNumberFormatter& formatter, bool allowsFloats,
                                                                  double minValue, double maxValue,
                                                                  const QString& suffix)
{
    formatter.setLenient(false);
    formatter.setLocalizesFormat(false);
    formatter.setAllowsFloats(allowsFloats);
    formatter.setMinimumFractionDigits(0);
    formatter.setMaximumFractionDigits(allowsFloats ? 2 : 0);
    formatter.setUsesGroupingSeparator(false);
    formatter.setMinimum(minValue);
    formatter.setMaximum(maxValue);
    if (!suffix.isEmpty()) {
        formatter.setPositiveSuffix(suffix);
        formatter.setNegativeSuffix(suffix);
    }
}

QString VTRNumericTextField::checkAndCorrectTextOnControls()
{
    if (const std::optional<double> number = fetchUserInputNumber()) {
        updateWithFloatValue(*number);
        return QString();
    }

    if (m_lastValidValue < m_minimumValue || m_lastValidValue > m_maximumValue) {
        VTRDebug::errorMessage(QStringLiteral("*** Error Got ***"), QString(),
                               QStringLiteral("VTRNumericTextField::checkAndCorrectTextOnControls"), __LINE__);
        m_lastValidValue = m_minimumValue;
    }
    updateWithFloatValue(m_lastValidValue);

    const QString& format = m_allowsFloats
                                ? VTRUIStrings::controlsNumberCorrectedToPreviousValue_format_2_strings()
                                : VTRUIStrings::controlsIntegerCorrectedToPreviousValue_format_2_strings();
    return VTRUIStrings::format(format, stringFromFloatValueWithoutPrefixesSuffixes(m_minimumValue),
                                stringFromFloatValueWithoutPrefixesSuffixes(m_maximumValue));
}

void VTRNumericTextField::selectAllText()
{
    if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        field->selectAll();
}

void VTRNumericTextField::textDidEndEditing()
{
    endEditing([] {});
}

void VTRNumericTextField::endEditing(const std::function<void()>& baseHandling)
{
    if (m_endingEditing) {
        baseHandling();
        return;
    }
    m_endingEditing = true;
    // The alert runs a modal loop; should the field go away meanwhile, the
    // rest of the sequence must not touch it.
    const QPointer<VTRNumericTextField> self(this);

    const QString message = checkAndCorrectTextOnControls();
    baseHandling();
    emit actionSent();
    if (!self)
        return;

    if (!message.isEmpty()) {
        if (!m_disabledCorrectUserInputsAlert) {
            QApplication::beep();
            UIUtil::showAlert(message);
            if (!self)
                return;
        }
    } else if (const std::optional<double> number = fetchUserInputNumber()) {
        m_lastValidValue = *number;
    }

    if (hasFocus()) {
        deselect();
        setCursorPosition(0);
        // Focus goes back to the window itself, so typing no longer edits.
        clearFocus();
        VTRDebug::verify(!hasFocus(), QStringLiteral("Transfer first responder failed."), QString(),
                         QStringLiteral("VTRNumericTextField::textDidEndEditing"), __LINE__);
    }
    m_endingEditing = false;
}

void VTRNumericTextField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (endsEditing(event->reason()))
        platform::Timer::singleShot(kSelectAllDelayMs, this, [this] { selectAllText(); });
}

void VTRNumericTextField::focusOutEvent(QFocusEvent* event)
{
    if (!endsEditing(event->reason())) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    endEditing([this, event] { QLineEdit::focusOutEvent(event); });
}

void VTRNumericTextField::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        endEditing([this, event] { QLineEdit::keyPressEvent(event); });
    else
        QLineEdit::keyPressEvent(event);
}
