#include "VTRNumericTextField.h"

#include "ControlExtensions.h"
#include "UIUtil.h"
#include "VTRDebug.h"
#include "VTRUIStrings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

#include "platform/foundation/Timer.h"

namespace {
constexpr int kSelectAllDelayMs = 50;
const char* const kInitialFirstResponder = "initialFirstResponder";

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

    // Still holding the focus (or, while an alert keeps the window
    // inactive, the window's focus widget): editing in the field is over.
    if (hasFocus() || (!window()->isActiveWindow() && window()->focusWidget() == this)) {
        deselect();
        setCursorPosition(0);
        // The focus goes to the window's initial first responder; a window
        // without one keeps the focus itself, so typing no longer edits.
        QWidget* initial = initialFirstResponder(window());
        if (!initial)
            clearFocus();
        else if (initial != this)
            initial->setFocus(Qt::OtherFocusReason);
        VTRDebug::verify(initial ? window()->focusWidget() == initial : window()->focusWidget() != this,
                         QStringLiteral("Transfer first responder failed."), QString(),
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

void VTRNumericTextField::setInitialFirstResponder(QWidget* window, QWidget* responder)
{
    if (window)
        window->setProperty(kInitialFirstResponder, QVariant::fromValue(QPointer<QWidget>(responder)));
}

QWidget* VTRNumericTextField::initialFirstResponder(QWidget* window)
{
    if (!window)
        return nullptr;
    const QPointer<QWidget> named = window->property(kInitialFirstResponder).value<QPointer<QWidget>>();
    if (named && named->window() == window && named->isEnabled() && named->isVisibleTo(window))
        return named;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->window() == window && w->isEnabled() &&
            w->isVisibleTo(window))
            return w;
    }
    return nullptr;
}

bool VTRNumericTextField::focusLeavesToCancel() const
{
    if (!window()->isVisible())
        return true;
    // The focus widget is already the one the focus goes to.
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    if (!button || button->window() != window())
        return false;
    for (QWidget* w = button->parentWidget(); w; w = w->parentWidget()) {
        if (auto* box = qobject_cast<QDialogButtonBox*>(w))
            return box->buttonRole(button) == QDialogButtonBox::RejectRole;
    }
    return false;
}

void VTRNumericTextField::focusOutEvent(QFocusEvent* event)
{
    if (!endsEditing(event->reason()) || (!m_endingEditing && focusLeavesToCancel())) {
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
