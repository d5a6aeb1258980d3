#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Operations on text. Characters are user-perceived characters (a letter
// with its combining marks counts as one).
namespace StringExtension {

QString trimmingWhitespacesAndNewlines(const QString& text);

// The text between two quote characters, with each quote character inside
// it doubled: O'Brien quoted with ' gives 'O''Brien'.
QString quote(const QString& text, const QString& quoteCharacter);

// The escape character of SQL LIKE patterns: one backslash.
QString escapeChar();
// The wildcards of SQL LIKE patterns: "%" and "_".
QStringList widcardChars();

// Backslashes doubled, then a backslash put before every "%" and "_".
QString escapedSQLWidcardString(const QString& text);
// The inverse: double backslashes become one, then "\%" and "\_" lose
// their backslash.
QString unescapedSQLWidcardString(const QString& text);

// "true" and "false" exactly; any other text gives nothing.
std::optional<bool> toBoolValue(const QString& text);

} // namespace StringExtension
