#include "BrushIndexes.h"
#include "BrushInputDefinitions.h"
#include "BrushSettingDefinitions.h"

#include <gtest/gtest.h>

TEST(BrushDefinitions, SettingsTableOrderNamesAndDefaults)
{
    const auto* table = BrushSettingDefinitions::sharedInstance();
    EXPECT_EQ(table, BrushSettingDefinitions::sharedInstance());
    ASSERT_EQ(table->list().size(), 39);
    ASSERT_EQ(table->dict().size(), 39);
    for (int i = 0; i < table->list().size(); ++i) {
        EXPECT_EQ(table->list().at(i)->index(), i);
        EXPECT_EQ(table->dict().value(table->list().at(i)->cname()), table->list().at(i));
        EXPECT_FALSE(table->list().at(i)->tooltip().isEmpty());
    }

    struct Row { const char* cname; int index; const char* displayed; float minimum, defaultValue, maximum; bool constant; };
    const Row rows[] = {
        {"opaque", BrushSettingIndex::opaque, "opaque", 0.0f, 1.0f, 1.0f, false},
        {"opaque_linearize", 2, "opaque linearize", 0.0f, 0.9f, 2.0f, true},
        {"radius_logarithmic", 3, "radius", -2.0f, 2.0f, 5.0f, false},
        {"dabs_per_actual_radius", 6, "dabs per actual radius", 0.0f, 2.0f, 6.0f, true},
        {"offset_by_random", 13, "jitter", 0.0f, 0.0f, 2.0f, false},
        {"change_color_l", 23, "change color lightness (HSL)", -2.0f, 0.0f, 2.0f, false},
        {"smudge_radius_log", 29, "smudge radius", -1.6f, 0.0f, 1.6f, false},
        {"elliptical_dab_angle", 37, "elliptical dab: angle", 0.0f, 90.0f, 180.0f, false},
        {"direction_filter", 38, "direction filter", 0.0f, 2.0f, 10.0f, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cname);
        const BrushSettingDefinition* d = table->definition(QString::fromLatin1(row.cname));
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->index(), row.index);
        EXPECT_EQ(d->displayed_name(), QString::fromLatin1(row.displayed));
        EXPECT_EQ(d->minimum(), row.minimum);
        EXPECT_EQ(d->default_value(), row.defaultValue);
        EXPECT_EQ(d->maximum(), row.maximum);
        EXPECT_EQ(d->constant(), row.constant);
    }

    int constants = 0;
    for (const auto* d : table->list())
        constants += d->constant() ? 1 : 0;
    EXPECT_EQ(constants, 12);

    EXPECT_EQ(table->definition(QStringLiteral("version")), nullptr);
    EXPECT_EQ(table->definition(QStringLiteral("Opaque")), nullptr);
    EXPECT_EQ(table->list().at(0)->tooltip(),
              QStringLiteral("0 means brush is transparent, 1 fully visible\n(also known as alpha or opacity)"));
    EXPECT_EQ(table->list().at(19)->tooltip(), QStringLiteral("color hue"));
}

TEST(BrushDefinitions, InputsTableOrderAndBounds)
{
    const auto* table = BrushInputDefinitions::sharedInstance();
    EXPECT_EQ(table, BrushInputDefinitions::sharedInstance());
    ASSERT_EQ(table->list().size(), 9);
    const char* names[] = {"pressure", "speed1", "speed2", "random", "stroke",
                           "direction", "tilt_declination", "tilt_ascension", "custom"};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(table->list().at(i)->name(), QString::fromLatin1(names[i]));
        EXPECT_EQ(table->list().at(i)->index(), i);
        EXPECT_EQ(table->definition(QString::fromLatin1(names[i]))->index(), i);
    }
    EXPECT_EQ(table->definition(QStringLiteral("pressure"))->index(), BrushInputIndex::pressure);
    EXPECT_EQ(table->definition(QStringLiteral("custom"))->index(), BrushInputIndex::custom);
    EXPECT_EQ(table->definition(QStringLiteral("speed1"))->hard_maximum(), -1.0f);
    EXPECT_EQ(table->definition(QStringLiteral("custom"))->soft_minimum(), -2.0f);
    EXPECT_EQ(table->definition(QStringLiteral("tilt_ascension"))->hard_minimum(), -180.0f);
    EXPECT_EQ(table->definition(QStringLiteral("Pressure")), nullptr);
}
