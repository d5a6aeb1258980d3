#include "VTRNumberFormatter.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool allDigits(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), isAsciiDigit);
}

// The body between the affixes, when the text carries both.
std::optional<QString> stripAffixes(const QString& text, const QString& prefix, const QString& suffix)
{
    if (text.size() < prefix.size() + suffix.size() || !text.startsWith(prefix) || !text.endsWith(suffix))
        return std::nullopt;
    return text.mid(prefix.size(), text.size() - prefix.size() - suffix.size());
}

} // namespace

QChar VTRNumberFormatter::decimalSeparator() const
{
    if (!m_localizesFormat)
        return QLatin1Char('.');
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 ? point.at(0) : QLatin1Char('.');
}

QChar VTRNumberFormatter::groupingSeparator() const
{
    if (!m_localizesFormat)
        return QLatin1Char(',');
    const QString separator = QLocale().groupSeparator();
    return separator.size() == 1 ? separator.at(0) : QLatin1Char(',');
}

std::optional<double> VTRNumberFormatter::parseUnsigned(const QString& body) const
{
    QString integerPart = body;
    QString fractionPart;
    const int point = body.indexOf(decimalSeparator());
    if (point >= 0) {
        integerPart = body.left(point);
        fractionPart = body.mid(point + 1);
    }
    if (integerPart.isEmpty() && fractionPart.isEmpty())
        return std::nullopt;
    if (!allDigits(fractionPart))
        return std::nullopt;

    if (m_usesGroupingSeparator && integerPart.contains(groupingSeparator())) {
        // Groups of three after a first group of one to three digits.
        const QStringList groups = integerPart.split(groupingSeparator());
        if (groups.first().isEmpty() || groups.first().size() > 3)
            return std::nullopt;
        for (qsizetype i = 0; i < groups.size(); ++i) {
            if (!allDigits(groups.at(i)) || (i > 0 && groups.at(i).size() != 3))
                return std::nullopt;
        }
        integerPart = groups.join(QString());
    } else if (!allDigits(integerPart)) {
        return std::nullopt;
    }

    bool ok = false;
    const QString plain = (integerPart.isEmpty() ? QStringLiteral("0") : integerPart) + QLatin1Char('.')
                          + (fractionPart.isEmpty() ? QStringLiteral("0") : fractionPart);
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    if (!m_allowsFloats && value != std::floor(value))
        return std::nullopt;
    return value;
}

std::optional<double> VTRNumberFormatter::numberFromString(const QString& input) const
{
    const QString text = m_lenient ? input.trimmed() : input;
    if (text.isEmpty())
        return std::nullopt;

    std::optional<double> value;
    // The negative form first: with the usual affixes ("-" and nothing) the
    // positive form would see the sign as part of the digits and fail.
    if (!m_negativePrefix.isEmpty() || !m_negativeSuffix.isEmpty()) {
        if (auto body = stripAffixes(text, m_negativePrefix, m_negativeSuffix)) {
            if (auto magnitude = parseUnsigned(m_lenient ? body->trimmed() : *body))
                value = -*magnitude;
        }
    }
    if (!value) {
        if (auto body = stripAffixes(text, m_positivePrefix, m_positiveSuffix))
            value = parseUnsigned(m_lenient ? body->trimmed() : *body);
    }
    if (!value && m_lenient)
        value = parseUnsigned(text);
    if (!value)
        return std::nullopt;

    if (m_minimum && *value < *m_minimum)
        return std::nullopt;
    if (m_maximum && *value > *m_maximum)
        return std::nullopt;
    return value;
}

QString VTRNumberFormatter::stringFromNumber(double value) const
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    if (std::isinf(magnitude))
        return (negative ? m_negativePrefix : m_positivePrefix) + QChar(0x221E)
               + (negative ? m_negativeSuffix : m_positiveSuffix);

    const int maxDigits = std::max(0, m_maximumFractionDigits);
    const int minDigits = std::clamp(m_minimumFractionDigits, 0, maxDigits);
    QString digits = QString::number(magnitude, 'f', maxDigits);
    QString integerPart = digits;
    QString fractionPart;
    const int point = digits.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        integerPart = digits.left(point);
        fractionPart = digits.mid(point + 1);
    }
    while (fractionPart.size() > minDigits && fractionPart.endsWith(QLatin1Char('0')))
        fractionPart.chop(1);

    // A value that rounds to zero carries no sign.
    if (std::all_of(integerPart.cbegin(), integerPart.cend(), [](QChar c) { return c == QLatin1Char('0'); })
        && std::all_of(fractionPart.cbegin(), fractionPart.cend(), [](QChar c) { return c == QLatin1Char('0'); }))
        negative = false;

    if (m_usesGroupingSeparator) {
        for (qsizetype at = integerPart.size() - 3; at > 0; at -= 3)
            integerPart.insert(at, groupingSeparator());
    }
    QString text = integerPart;
    if (!fractionPart.isEmpty())
        text += decimalSeparator() + fractionPart;
    return (negative ? m_negativePrefix : m_positivePrefix) + text + (negative ? m_negativeSuffix : m_positiveSuffix);
}
