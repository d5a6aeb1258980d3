#pragma once

#include <QString>

#include <optional>

// Text <-> number for the numeric controls: a decimal number with an optional
// sign, an optional fraction, optional thousands grouping and fixed prefixes
// and suffixes, accepted only within an optional minimum and maximum.
//
// A value type: copies are independent.
class VTRNumberFormatter {
public:
    VTRNumberFormatter() = default;

    // Parses the whole text. Nothing when the text is not a number in this
    // formatter's style or lies outside its minimum and maximum.
    std::optional<double> numberFromString(const QString& text) const;
    // The text for a number, rounded to the maximum fraction digits. The
    // minimum and maximum do not apply here.
    QString stringFromNumber(double value) const;

    // A lenient formatter ignores blanks around the number and takes it with
    // or without its prefix and suffix; a strict one wants the exact form.
    bool isLenient() const { return m_lenient; }
    void setLenient(bool lenient) { m_lenient = lenient; }
    // A localised format uses the user's decimal and grouping separators,
    // otherwise "." and ",".
    bool localizesFormat() const { return m_localizesFormat; }
    void setLocalizesFormat(bool localizes) { m_localizesFormat = localizes; }
    bool allowsFloats() const { return m_allowsFloats; }
    void setAllowsFloats(bool allows) { m_allowsFloats = allows; }
    int minimumFractionDigits() const { return m_minimumFractionDigits; }
    void setMinimumFractionDigits(int digits) { m_minimumFractionDigits = digits; }
    int maximumFractionDigits() const { return m_maximumFractionDigits; }
    void setMaximumFractionDigits(int digits) { m_maximumFractionDigits = digits; }
    bool usesGroupingSeparator() const { return m_usesGroupingSeparator; }
    void setUsesGroupingSeparator(bool uses) { m_usesGroupingSeparator = uses; }
    std::optional<double> minimum() const { return m_minimum; }
    void setMinimum(std::optional<double> minimum) { m_minimum = minimum; }
    std::optional<double> maximum() const { return m_maximum; }
    void setMaximum(std::optional<double> maximum) { m_maximum = maximum; }

    QString positivePrefix() const { return m_positivePrefix; }
    void setPositivePrefix(const QString& text) { m_positivePrefix = text; }
    QString negativePrefix() const { return m_negativePrefix; }
    void setNegativePrefix(const QString& text) { m_negativePrefix = text; }
    QString positiveSuffix() const { return m_positiveSuffix; }
    void setPositiveSuffix(const QString& text) { m_positiveSuffix = text; }
    QString negativeSuffix() const { return m_negativeSuffix; }
    void setNegativeSuffix(const QString& text) { m_negativeSuffix = text; }

private:
    QChar decimalSeparator() const;
    QChar groupingSeparator() const;
    std::optional<double> parseUnsigned(const QString& body) const;

    bool m_lenient = false;
    bool m_localizesFormat = false;
    bool m_allowsFloats = true;
    int m_minimumFractionDigits = 0;
    int m_maximumFractionDigits = 3;
    bool m_usesGroupingSeparator = false;
    std::optional<double> m_minimum;
    std::optional<double> m_maximum;
    QString m_positivePrefix;
    QString m_negativePrefix = QStringLiteral("-");
    QString m_positiveSuffix;
    QString m_negativeSuffix;
};
