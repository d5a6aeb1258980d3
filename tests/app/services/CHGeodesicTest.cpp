#include "CHEmailInfo.h"
#include "CHGeodesic.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Geodesic, NormalisationTables)
{
    const struct {
        double in;
        double to180;
        double to360;
    } cases[] = {
        {-180, 180, 180}, {540, 180, 180}, {190, -170, 190}, {-30, -30, 330},
        {360, 0, 0},      {0, 0, 0},       {-720, 0, 0},     {360e9 + 90, 90, 90},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.in);
        EXPECT_DOUBLE_EQ(CHNormalizeDegrees180(row.in), row.to180);
        EXPECT_DOUBLE_EQ(CHNormalizeDegrees360(row.in), row.to360);
        if (std::abs(row.in) > 1e6)
            continue; // not a whole number of turns in single precision
        EXPECT_FLOAT_EQ(CHNormalizeDegrees180f(float(row.in)), float(row.to180));
        EXPECT_FLOAT_EQ(CHNormalizeDegrees360f(float(row.in)), float(row.to360));
    }
}

TEST(Geodesic, BearingsAndDestinations)
{
    // Due north from a point due south, due east along the equator.
    EXPECT_NEAR(CHGeoBearingDegrees(10, 20, 30, 20), 0.0, 1e-9);
    EXPECT_NEAR(CHGeoBearingDegrees(0, 0, 0, 10), 90.0, 1e-9);
    EXPECT_NEAR(CHGeoBearingRadians(0, 0, 0, 0.1), M_PI / 2, 1e-12);
    EXPECT_NEAR(CHGeoBearingDegrees(0, 10, 0, 0), -90.0, 1e-9);

    // Distance 0 stays put; the radian form keeps its longitude as it is.
    double lat = 0, lon = 0;
    CHGeoDestinationRadians(0.5, 4.0, 0, 1.0, &lat, &lon);
    EXPECT_DOUBLE_EQ(lat, 0.5);
    EXPECT_DOUBLE_EQ(lon, 4.0);

    // A quarter of the circumference east along the equator, across the date line.
    const double quarter = CHGeoEarthRadiusMetres * M_PI / 2;
    CHGeoDestinationDegrees(0, 170, quarter, 90, &lat, &lon);
    EXPECT_NEAR(lat, 0.0, 1e-9);
    EXPECT_NEAR(lon, -100.0, 1e-9);
    // Due north by 10 degrees of arc.
    CHGeoDestinationDegrees(0, 5, CHGeoEarthRadiusMetres * M_PI / 18, 0, &lat, &lon);
    EXPECT_NEAR(lat, 10.0, 1e-9);
    EXPECT_NEAR(lon, 5.0, 1e-9);
}

TEST(EmailInfo, CopyHasItsOwnRecipients)
{
    auto info = CHEmailInfo::emailInfoWithSubject(QStringLiteral("Hello"), QStringList{QStringLiteral("a@velumo.invalid")},
                                                  QStringLiteral("Body"));
    auto copy = info->copy();
    info->setRecipientsArray(QStringList{QStringLiteral("b@velumo.invalid")});
    info->setSubject(QStringLiteral("Changed"));
    EXPECT_EQ(copy->subject(), QStringLiteral("Hello"));
    EXPECT_EQ(copy->recipientsArray(), QStringList{QStringLiteral("a@velumo.invalid")});
    EXPECT_EQ(copy->body(), QStringLiteral("Body"));

    CHEmailInfo empty;
    EXPECT_TRUE(empty.subject().isNull());
    EXPECT_FALSE(empty.recipientsArray().has_value());
    EXPECT_FALSE(empty.copy()->recipientsArray().has_value());
}
