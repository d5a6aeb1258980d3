#include "StringExtension.h"

#include "CharacterSet.h"

#include <QTextBoundaryFinder>

namespace StringExtension {

QString trimmingWhitespacesAndNewlines(const QString& text)
{
    const CharacterSet blanks = CharacterSet::whitespacesAndNewlines();
    const QList<uint> scalars = text.toUcs4();
    qsizetype start = 0;
    qsizetype end = scalars.size();
    while (start < end && blanks.containsScalar(scalars[start]))
        ++start;
    while (end > start && blanks.containsScalar(scalars[end - 1]))
        --end;
    if (start == 0 && end == scalars.size())
        return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(scalars.constData() + start), end - start);
}

QString quote(const QString& text, const QString& quoteCharacter)
{
    QString result = quoteCharacter;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype next = finder.toNextBoundary();
        if (next < 0)
            next = text.size();
        const QString character = text.mid(start, next - start);
        result += character;
        if (character == quoteCharacter)
            result += character;
        start = next;
    }
    return result + quoteCharacter;
}

QString escapeChar()
{
    return QStringLiteral("\\");
}

QStringList widcardChars()
{
    return { QStringLiteral("%"), QStringLiteral("_") };
}

QString escapedSQLWidcardString(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    result.replace(QStringLiteral("%"), QStringLiteral("\\%"));
    result.replace(QStringLiteral("_"), QStringLiteral("\\_"));
    return result;
}

QString unescapedSQLWidcardString(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    result.replace(QStringLiteral("\\%"), QStringLiteral("%"));
    result.replace(QStringLiteral("\\_"), QStringLiteral("_"));
    return result;
}

std::optional<bool> toBoolValue(const QString& text)
{
    const QString normalized = text.normalized(QString::NormalizationForm_C);
    if (normalized == QLatin1String("true"))
        return true;
    if (normalized == QLatin1String("false"))
        return false;
    return std::nullopt;
}

} // namespace StringExtension
