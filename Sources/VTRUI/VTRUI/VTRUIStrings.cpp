#include "VTRUIStrings.h"

// Function-local statics: made once, thread-safely, on first use.
const QString& VTRUIStrings::controlsNumberCorrectedToClosestValue_format_2_strings()
{
    static const QString text = QStringLiteral("A number between %1$@ and %2$@ is required. Closest value inserted.");
    return text;
}

const QString& VTRUIStrings::controlsIntegerCorrectedToClosestValue_format_2_strings()
{
    static const QString text = QStringLiteral("An integer between %1$@ and %2$@ is required. Closest value inserted.");
    return text;
}

const QString& VTRUIStrings::controlsNumberCorrectedToPreviousValue_format_2_strings()
{
    static const QString text = QStringLiteral(
        "Invalid numeric entry. A number between %1$@ and %2$@ is required. Previous value inserted.");
    return text;
}

const QString& VTRUIStrings::controlsIntegerCorrectedToPreviousValue_format_2_strings()
{
    static const QString text = QStringLiteral(
        "Invalid numeric entry. An integer between %1$@ and %2$@ is required. Previous value inserted.");
    return text;
}

QString VTRUIStrings::format(const QString& format, const QString& first, const QString& second)
{
    static const QString firstPlaceholder = QStringLiteral("%1$@");
    static const QString secondPlaceholder = QStringLiteral("%2$@");
    // One pass over the format, so an argument's own text is never rescanned.
    QString result;
    result.reserve(format.size() + first.size() + second.size());
    qsizetype at = 0;
    while (at < format.size()) {
        if (format.mid(at, firstPlaceholder.size()) == firstPlaceholder) {
            result += first;
            at += firstPlaceholder.size();
        } else if (format.mid(at, secondPlaceholder.size()) == secondPlaceholder) {
            result += second;
            at += secondPlaceholder.size();
        } else {
            result += format.at(at++);
        }
    }
    return result;
}
