#include "VTRUIInfo.h"
#include "VTRUIStrings.h"

#include <gtest/gtest.h>

namespace {

TEST(VTRUIStrings, TextsAreFixedAndTakeTheBoundsByPosition)
{
    EXPECT_EQ(VTRUIStrings::controlsNumberCorrectedToClosestValue_format_2_strings(),
              "A number between %1$@ and %2$@ is required. Closest value inserted.");
    EXPECT_EQ(VTRUIStrings::controlsIntegerCorrectedToClosestValue_format_2_strings(),
              "An integer between %1$@ and %2$@ is required. Closest value inserted.");
    EXPECT_EQ(VTRUIStrings::controlsNumberCorrectedToPreviousValue_format_2_strings(),
              "Invalid numeric entry. A number between %1$@ and %2$@ is required. Previous value inserted.");
    EXPECT_EQ(VTRUIStrings::controlsIntegerCorrectedToPreviousValue_format_2_strings(),
              "Invalid numeric entry. An integer between %1$@ and %2$@ is required. Previous value inserted.");
    // The same object on every read.
    EXPECT_EQ(&VTRUIStrings::controlsIntegerCorrectedToPreviousValue_format_2_strings(),
              &VTRUIStrings::controlsIntegerCorrectedToPreviousValue_format_2_strings());

    EXPECT_EQ(VTRUIStrings::format(VTRUIStrings::controlsIntegerCorrectedToPreviousValue_format_2_strings(),
                                   QStringLiteral("1"), QStringLiteral("999")),
              "Invalid numeric entry. An integer between 1 and 999 is required. Previous value inserted.");
    EXPECT_EQ(VTRUIStrings::format(QStringLiteral("%2$@ > %1$@"), QStringLiteral("1"), QStringLiteral("999")),
              "999 > 1");
    // An argument's own text is not expanded again.
    EXPECT_EQ(VTRUIStrings::format(QStringLiteral("[%1$@|%2$@]"), QStringLiteral("%2$@"), QStringLiteral("x")),
              "[%2$@|x]");
}

TEST(VTRUIInfo, FrameworkInfoStringIsOneFixedLine)
{
    EXPECT_EQ(VTRUIInfo::frameworkInfoString(), "{VTRUI Info: VTRUIFrameworkInternalVersion = 11.1.53}");
    EXPECT_EQ(VTRUIInfo::frameworkInfoString(), VTRUIInfo::frameworkInfoString());
    EXPECT_FALSE(VTRUIInfo::frameworkInfoString().contains(QLatin1Char('\n')));
}

} // namespace
