#include "BrushNumberText.h"

#include <QByteArray>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <locale.h>

namespace BrushNumberText {

namespace {

locale_t cLocale()
{
    static locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

} // namespace

float floatValue(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    // Hexadecimal is no number of the format: "0x1p3" reads as its leading 0.
    const char* p = bytes.constData();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        return 0.0f;
    char* end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale());
    if (end == bytes.constData())
        return 0.0f;
    return float(value);
}

int intValue(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const char* p = bytes.constData();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        if (value > qint64(INT_MAX) + 1)
            value = qint64(INT_MAX) + 1;
        ++p;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int(value);
}

} // namespace BrushNumberText
