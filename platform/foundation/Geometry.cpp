#include "Geometry.h"

#include <QRegularExpression>

namespace platform {

bool isEmptyRect(const QRectF& r)
{
    return !(r.width() > 0.0) || !(r.height() > 0.0);
}

QRectF unionRect(const QRectF& a, const QRectF& b)
{
    if (isEmptyRect(a))
        return b;
    if (isEmptyRect(b))
        return a;
    return a.normalized().united(b.normalized());
}

static QString numberText(double v)
{
    // Whole numbers print without a fraction, as the settings file expects.
    return QString::number(v, 'g', 17);
}

QString stringFromSize(const QSizeF& size)
{
    return QStringLiteral("{%1, %2}").arg(numberText(size.width()), numberText(size.height()));
}

QSizeF sizeFromString(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*\\{\\s*([-+0-9.eE]+)\\s*,\\s*([-+0-9.eE]+)\\s*\\}\\s*$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return QSizeF(0, 0);
    bool okW = false, okH = false;
    const double w = match.captured(1).toDouble(&okW);
    const double h = match.captured(2).toDouble(&okH);
    if (!okW || !okH)
        return QSizeF(0, 0);
    return {w, h};
}

} // namespace platform
