#pragma once

#include <QString>

// The message formats of the library's controls, in one place. Each takes two
// texts by position: "%1$@" the lower and "%2$@" the upper bound of the
// required range, already formatted by the caller (see format()).
class VTRUIStrings {
public:
    static const QString& controlsNumberCorrectedToClosestValue_format_2_strings();
    static const QString& controlsIntegerCorrectedToClosestValue_format_2_strings();
    static const QString& controlsNumberCorrectedToPreviousValue_format_2_strings();
    static const QString& controlsIntegerCorrectedToPreviousValue_format_2_strings();

    // Fills "%1$@" with the first and "%2$@" with the second text. Texts that
    // themselves contain a placeholder are not expanded again.
    static QString format(const QString& format, const QString& first, const QString& second);
};
