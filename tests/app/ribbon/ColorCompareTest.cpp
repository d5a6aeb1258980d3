#include "KZColorMatrix.h"
#include "NSColorCompare.h"
#include "NSColorListCustom.h"

#include <gtest/gtest.h>

TEST(NSColorCompare, ComparesInOneSpaceAtSixteenBitsAChannel)
{
    const QColor red(255, 0, 0);
    const struct {
        const char* what;
        QColor a;
        QColor b;
        bool equal;
    } table[] = {
        // The same colour made in other forms: QColor's own == says no.
        {"HSV and RGB", QColor::fromHsv(0, 255, 255), red, true},
        {"HSL and RGB", QColor::fromHsl(0, 255, 128).toRgb(), QColor::fromHsl(0, 255, 128), true},
        {"CMYK and RGB", QColor::fromCmyk(0, 255, 255, 0), red, true},
        {"extended and RGB", QColor::fromRgbF(1.0f, 0.0f, 0.0f).toExtendedRgb(), red, true},
        {"16-bit channels", QColor(QRgba64::fromRgba64(65535, 0, 0, 65535)), red, true},
        // One step of sixteen bits apart is another colour.
        {"one 16-bit step", QColor(QRgba64::fromRgba64(65534, 0, 0, 65535)), red, false},
        {"alpha differs", QColor(255, 0, 0, 254), red, false},
        {"other colour", QColor(0, 255, 0), red, false},
        {"no colour", QColor(), red, false},
        {"no colour twice", QColor(), QColor(), false},
    };
    for (const auto& row : table) {
        EXPECT_EQ(NSColorCompare::isEqualToColor(row.a, row.b), row.equal) << row.what;
        EXPECT_EQ(NSColorCompare::isEqualToColor(row.b, row.a), row.equal) << row.what << " (swapped)";
    }
    // What the platform's own equality does with the first row.
    EXPECT_NE(QColor::fromHsv(0, 255, 255), red);
}

TEST(NSColorListCustom, CutsByRangeAndByKeysAndFindsAColourInAnyForm)
{
    const platform::ColorList source = platform::ColorList::fromText(
        "Source", "#FF0000 Red\n#00FF00 Green\n#0000FF Blue\n#FFFFFF White\n");

    const platform::ColorList middle = NSColorListCustom::initWithColorList(source, 1, 2);
    EXPECT_EQ(middle.name(), QString(""));
    EXPECT_EQ(middle.allKeys(), QStringList({"Green", "Blue"}));
    EXPECT_TRUE(NSColorListCustom::initWithColorList(source, 2, 0).allKeys().isEmpty());
    // A range running past the keys takes what lies inside.
    EXPECT_EQ(NSColorListCustom::initWithColorList(source, 3, 5).allKeys(), QStringList({"White"}));
    EXPECT_TRUE(NSColorListCustom::initWithColorList(source, 9, 1).allKeys().isEmpty());

    const platform::ColorList picked =
        NSColorListCustom::initWithColorList(source, QStringList({"Blue", "Missing", "Red"}));
    EXPECT_EQ(picked.allKeys(), QStringList({"Blue", "Red"}));
    EXPECT_EQ(*picked.colorWithKey("Blue"), QColor(0, 0, 255));

    EXPECT_TRUE(NSColorListCustom::containsColor(source, QColor::fromHsv(120, 255, 255)));
    EXPECT_FALSE(NSColorListCustom::containsColor(source, QColor(0, 254, 0)));
    EXPECT_FALSE(NSColorListCustom::containsColor(source, QColor()));
}

TEST(KZColorMatrix, UserColourKeyIsRedGreenBlueWithoutDecimals)
{
    EXPECT_EQ(KZColorMatrix::userColorKey(QColor(12, 34, 56)), "12 34 56");
    EXPECT_EQ(KZColorMatrix::userColorKey(QColor::fromHsv(0, 255, 255)), "255 0 0");
    EXPECT_EQ(KZColorMatrix::userColorKey(QColor::fromRgbF(0.5f, 0.25f, 1.0f)), "128 64 255");
}
