#include "VTRNumberFormatter.h"
#include "VTRNumericTextField.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

VTRNumberFormatter fieldFormatter(bool allowsFloats, double min, double max, const QString& suffix = QString())
{
    VTRNumberFormatter formatter;
    VTRNumericTextField::configNumberFormatterForNumberFormatter(formatter, allowsFloats, min, max, suffix);
    return formatter;
}

struct ParseCase {
    bool allowsFloats;
    double min;
    double max;
    const char* text;
    std::optional<double> expected;
};

TEST(VTRNumberFormatter, ParsesOnlyPlainNumbersWithinTheRange)
{
    const ParseCase cases[] = {
        {false, 1, 999, "500", 500.0},
        {false, 1, 999, "1", 1.0},
        {false, 1, 999, "999", 999.0},
        {false, 1, 999, "007", 7.0},
        {false, 1, 999, "5.0", 5.0},          // a whole number written with a fraction
        {false, 1, 999, "2.5", std::nullopt}, // no fractions
        {false, 1, 999, "1000", std::nullopt},
        {false, 1, 999, "0", std::nullopt},
        {false, 1, 9999, "1,000", std::nullopt}, // no grouping
        {false, 1, 999, "", std::nullopt},
        {false, 1, 999, " 5", std::nullopt}, // strict: no blanks
        {false, 1, 999, "5 ", std::nullopt},
        {false, 1, 999, "abc", std::nullopt},
        {false, 1, 999, "5abc", std::nullopt},
        {false, 1, 999, "1e2", std::nullopt},
        {false, 1, 999, "+5", std::nullopt},
        {false, 1, 999, "-", std::nullopt},
        {false, 1, 999, ".", std::nullopt},
        {false, -10, 10, "-3", -3.0},
        {false, -10, 10, "-11", std::nullopt},
        {false, -10, 10, "--3", std::nullopt},
        {true, 1, 999, "3.14159", 3.14159},
        {true, 0, 999, ".5", 0.5},
        {true, 1, 999, "5.", 5.0},
        {true, 1, 999, "5,5", std::nullopt},
        {true, 1, 999, "1.2.3", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        const auto parsed = fieldFormatter(c.allowsFloats, c.min, c.max).numberFromString(QString::fromUtf8(c.text));
        EXPECT_EQ(parsed.has_value(), c.expected.has_value()) << "text: \"" << c.text << "\"";
        if (parsed && c.expected) {
            EXPECT_DOUBLE_EQ(*parsed, *c.expected) << "text: \"" << c.text << "\"";
        }
    }
}

TEST(VTRNumberFormatter, FormatsToTheFractionDigitsWithoutTrailingZeros)
{
    const VTRNumberFormatter whole = fieldFormatter(false, 1, 999);
    const VTRNumberFormatter fractions = fieldFormatter(true, 1, 999);
    EXPECT_EQ(whole.stringFromNumber(7.3), "7");
    EXPECT_EQ(whole.stringFromNumber(5.0), "5");
    EXPECT_EQ(whole.stringFromNumber(123456789.0), "123456789"); // range does not apply
    EXPECT_EQ(fractions.stringFromNumber(3.14159), "3.14");
    EXPECT_EQ(fractions.stringFromNumber(2.5), "2.5");
    EXPECT_EQ(fractions.stringFromNumber(2.0), "2");
    EXPECT_EQ(fractions.stringFromNumber(-0.001), "0"); // no "-0"
    EXPECT_EQ(fractions.stringFromNumber(-1.5), "-1.5");
}

TEST(VTRNumberFormatter, SuffixAndGroupingRoundTrip)
{
    const VTRNumberFormatter withSuffix = fieldFormatter(false, 1, 999, QStringLiteral(" px"));
    EXPECT_EQ(withSuffix.stringFromNumber(5), "5 px");
    EXPECT_EQ(withSuffix.numberFromString(QStringLiteral("5 px")), 5.0);
    EXPECT_FALSE(withSuffix.numberFromString(QStringLiteral("5")).has_value()); // strict: suffix wanted

    VTRNumberFormatter lenient = withSuffix;
    lenient.setLenient(true);
    EXPECT_EQ(lenient.numberFromString(QStringLiteral(" 5 ")), 5.0);

    VTRNumberFormatter grouped;
    grouped.setUsesGroupingSeparator(true);
    EXPECT_EQ(grouped.stringFromNumber(1234567), "1,234,567");
    EXPECT_EQ(grouped.numberFromString(QStringLiteral("1,234,567")), 1234567.0);
    EXPECT_EQ(grouped.numberFromString(QStringLiteral("1234")), 1234.0);
    EXPECT_FALSE(grouped.numberFromString(QStringLiteral("12,34")).has_value());
    EXPECT_FALSE(grouped.numberFromString(QStringLiteral(",123")).has_value());
}

} // namespace
