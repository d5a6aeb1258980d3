#include "CharacterSet.h"
#include "StringExtension.h"
#include "StringRepresentable.h"

#include <gtest/gtest.h>

using namespace StringExtension;

TEST(StringExtension, Trimming)
{
    EXPECT_EQ(trimmingWhitespacesAndNewlines(" \t\n a b \r\n\u2028"), "a b");
    EXPECT_EQ(trimmingWhitespacesAndNewlines(" \n \r\n "), "");
    EXPECT_EQ(trimmingWhitespacesAndNewlines("\u00A0x\u3000"), "x");
    EXPECT_EQ(trimmingWhitespacesAndNewlines("x"), "x");
}

TEST(StringExtension, QuotingDoublesTheQuoteCharacter)
{
    EXPECT_EQ(quote("O'Brien", "'"), "'O''Brien'");
    EXPECT_EQ(quote("plain", "\""), "\"plain\"");
    EXPECT_EQ(quote("", "'"), "''");
    // A quote with a combining mark is another character and is not doubled.
    EXPECT_EQ(quote(QString("a'\u0301b"), "'"), QString("'a'\u0301b'"));
    EXPECT_EQ(quote(QString("\U0001F600x\U0001F600"), QString("\U0001F600")),
              QString("\U0001F600\U0001F600\U0001F600x\U0001F600\U0001F600\U0001F600"));
}

TEST(StringExtension, SQLWildcardEscaping)
{
    EXPECT_EQ(escapeChar(), "\\");
    EXPECT_EQ(widcardChars(), QStringList({ "%", "_" }));
    struct Case { QString text; QString escaped; };
    const Case cases[] = {
        { "50%_off", "50\\%\\_off" },
        { "\\%", "\\\\\\%" }, // a backslash before % becomes three backslashes and %
        { "a\\b", "a\\\\b" },
        { "none", "none" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(escapedSQLWidcardString(c.text), c.escaped) << c.text.toStdString();
        EXPECT_EQ(unescapedSQLWidcardString(c.escaped), c.text) << c.escaped.toStdString();
    }
}

TEST(StringExtension, BoolValues)
{
    EXPECT_EQ(toBoolValue("true"), true);
    EXPECT_EQ(toBoolValue("false"), false);
    for (const char* other : { "False", "TRUE", "1", "yes", " true", "" })
        EXPECT_FALSE(toBoolValue(other)) << other;
    EXPECT_EQ(stringRep(true), "true");
    EXPECT_EQ(stringRep(false), "false");
    static_assert(StringRepresentable<bool>);
    static_assert(!StringRepresentable<int>);
}

TEST(CharacterSet, HoldsACharacterOnlyWithAllItsScalars)
{
    const CharacterSet letters = CharacterSet::fromCharacters("abce");
    EXPECT_TRUE(letters.contains("a"));
    EXPECT_FALSE(letters.contains("d"));
    EXPECT_FALSE(letters.contains(QString("e\u0301"))); // e with a combining acute
    const CharacterSet withMark = CharacterSet::fromCharacters(QString("e\u0301"));
    EXPECT_TRUE(withMark.contains(QString("e\u0301")));
    EXPECT_TRUE(CharacterSet::whitespacesAndNewlines().contains("\n"));
    EXPECT_FALSE(CharacterSet::whitespacesAndNewlines().contains("x"));
}
