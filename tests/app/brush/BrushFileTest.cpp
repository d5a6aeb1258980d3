// Reading ".myb" brush files into a DabBrushResource.
#include "Brush.h"
#include "BrushInputDefinitions.h"
#include "DabBrushResource.h"
#include "BrushTestSupport.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace S = BrushSettingIndex;
namespace In = BrushInputIndex;

namespace {

struct Loaded
{
    bool ok;
    std::string output;
};

Loaded loadText(DabBrushResource& resource, const QByteArray& text)
{
    testing::internal::CaptureStdout();
    const bool ok = resource.load_from_data(text);
    return {ok, testing::internal::GetCapturedStdout()};
}

Loaded loadFixture(DabBrushResource& resource)
{
    testing::internal::CaptureStdout();
    const bool ok = resource.load();
    return {ok, testing::internal::GetCapturedStdout()};
}

const CurvePoints& curve(const DabBrushResource& r, int setting, int input)
{
    return r.brush()->mapping(setting)->curve(input);
}

} // namespace

TEST(BrushFile, PlainVersion2FileLoads)
{
    DabBrushResource resource(brushFixture(QStringLiteral("plain_v2.myb")));
    const Loaded result = loadFixture(resource);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(resource.valid());
    EXPECT_EQ(result.output, "");

    const Brush* brush = resource.brush();
    EXPECT_FLOAT_EQ(brush->base_value(S::radius_logarithmic), 2.5f);
    EXPECT_FLOAT_EQ(brush->base_value(S::hardness), 0.8f);
    EXPECT_FLOAT_EQ(brush->base_value(S::color_h), 0.5f);
    const CurvePoints& speed = curve(resource, S::radius_logarithmic, In::speed1);
    ASSERT_EQ(speed.n, 2);
    EXPECT_EQ(speed.xvalues[1], 4.0f);
    EXPECT_EQ(speed.yvalues[1], 1.5f);
    EXPECT_EQ(brush->mapping(S::radius_logarithmic)->inputs_used(), 1);
    EXPECT_NEAR(resource.get_actual_radius(), std::exp(2.5), 1e-5); // about 12.18
    EXPECT_FLOAT_EQ(resource.setting_value_by_cname(QStringLiteral("radius_logarithmic")), 2.5f);
    EXPECT_EQ(resource.setting_by_cname(QStringLiteral("hardness"))->description(), QStringLiteral("hardness = 0.80"));
    EXPECT_FALSE(resource.is_eraser());
}

TEST(BrushFile, OnlyVersionLineGivesEmptyEngineWithPressureOpacity)
{
    DabBrushResource resource(QString{});
    EXPECT_TRUE(loadText(resource, "version 2").ok);
    for (int i = 0; i < Brush::kSettingCount; ++i)
        EXPECT_EQ(resource.brush()->base_value(i), 0.0f) << i;
    const CurvePoints& pressure = curve(resource, S::opaque_multiply, In::pressure);
    ASSERT_EQ(pressure.n, 2);
    EXPECT_EQ(pressure.xvalues[0], 0.0f);
    EXPECT_EQ(pressure.yvalues[0], 0.0f);
    EXPECT_EQ(pressure.xvalues[1], 1.0f);
    EXPECT_EQ(pressure.yvalues[1], 1.0f);
    // The setting objects report the defaults although the engine paints with 0.
    EXPECT_FLOAT_EQ(resource.setting_value_by_cname(QStringLiteral("opaque_linearize")), 0.9f);
    EXPECT_FLOAT_EQ(resource.setting_value_by_cname(QStringLiteral("radius_logarithmic")), 2.0f);
    EXPECT_EQ(resource.setting_by_cname(QStringLiteral("version")), nullptr);
    EXPECT_EQ(resource.setting_value_by_cname(QStringLiteral("nothing")), 0.0f);
}

TEST(BrushFile, VersionOtherThanTwoIsRefused)
{
    DabBrushResource version3(brushFixture(QStringLiteral("version3.myb")));
    Loaded result = loadFixture(version3);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(version3.valid());
    EXPECT_EQ(result.output, "\t we only read version 2 .myb files\n");
    EXPECT_EQ(version3.brush()->base_value(S::opaque), 0.0f);

    // Two spaces leave the version field empty.
    DabBrushResource twoSpaces(brushFixture(QStringLiteral("version_two_spaces.myb")));
    result = loadFixture(twoSpaces);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.output, "\t we only read version 2 .myb files\n");

    // A setting before the version line fails the load; what was read stays.
    DabBrushResource early(QString{});
    result = loadText(early, "hardness 0.5\nversion 2\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(early.brush()->base_value(S::hardness), 0.0f);
}

TEST(BrushFile, CommentsCrLfAndBlankLines)
{
    DabBrushResource resource(brushFixture(QStringLiteral("crlf_comments.myb")));
    const Loaded result = loadFixture(resource);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.output, "");
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::opaque), 0.7f); // the commented 0.1 is skipped
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::radius_logarithmic), 1.5f);
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::hardness), 0.6f);
    const CurvePoints& c = curve(resource, S::hardness, In::pressure);
    ASSERT_EQ(c.n, 2);
    EXPECT_FLOAT_EQ(c.yvalues[0], 0.2f);
}

TEST(BrushFile, UnknownKeyIsReportedAndSkipped)
{
    DabBrushResource resource(brushFixture(QStringLiteral("unknown_key.myb")));
    const Loaded result = loadFixture(resource);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.output, "NOT supported command:sparkle \n");
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::opaque), 0.8f);
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::hardness), 0.4f);
}

TEST(BrushFile, MalformedLinesAreRefusedWithoutDamage)
{
    DabBrushResource resource(brushFixture(QStringLiteral("malformed.myb")));
    const Loaded result = loadFixture(resource);
    EXPECT_TRUE(result.ok);
    // The first, sound line stands; every later radius line is refused whole.
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::radius_logarithmic), 1.2f);
    EXPECT_FLOAT_EQ(resource.setting_value_by_cname(QStringLiteral("radius_logarithmic")), 1.2f);
    const Mapping* radius = resource.brush()->mapping(S::radius_logarithmic);
    EXPECT_EQ(radius->inputs_used(), 1);
    EXPECT_EQ(radius->curve(In::pressure).n, 2);
    EXPECT_FLOAT_EQ(radius->curve(In::pressure).yvalues[1], 0.5f);
    for (int input = 1; input < Brush::kInputCount; ++input)
        EXPECT_EQ(radius->curve(input).n, 0) << input;
    // Loading goes on after the refused lines.
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::hardness), 0.3f);

    const std::string& out = result.output;
    for (const char* reason : {"curve with more than 8 points", "curve with fewer than 2 points", "unknown input",
                               "malformed curve point", "curve point without two numbers",
                               "input curve without an input name", "base value is not a finite number",
                               "curve point is not a finite number"}) {
        EXPECT_NE(out.find(std::string("Ignored setting radius_logarithmic: ") + reason), std::string::npos) << reason;
    }
    EXPECT_NE(out.find("Assert Failed!!"), std::string::npos);
}

TEST(BrushFile, SettingLineWithoutCurvesKeepsExistingCurves)
{
    DabBrushResource resource(QString{});
    ASSERT_TRUE(loadText(resource, "version 2\nopaque 0.5 | speed2 (0 0), (2 1)\nopaque 0.8\n").ok);
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::opaque), 0.8f);
    EXPECT_EQ(curve(resource, S::opaque, In::speed2).n, 2);

    // A curve is replaced by a later line naming the same input.
    ASSERT_TRUE(loadText(resource, "version 2\nopaque 0.1 | speed2 (0 0), (1 1), (3 2)\n").ok);
    EXPECT_EQ(curve(resource, S::opaque, In::speed2).n, 3);
    EXPECT_EQ(resource.brush()->mapping(S::opaque)->inputs_used(), 1);
}

TEST(BrushFile, NumbersAreReadWithoutTheUsersLocale)
{
    DabBrushResource resource(QString{});
    ASSERT_TRUE(loadText(resource, "version 2\nopaque   0.25 | pressure (  0.5   -1.5 ), (1e1 2)\nhardness 0x10\n").ok);
    EXPECT_FLOAT_EQ(resource.brush()->base_value(S::opaque), 0.25f);
    EXPECT_FLOAT_EQ(curve(resource, S::opaque, In::pressure).xvalues[0], 0.5f);
    EXPECT_FLOAT_EQ(curve(resource, S::opaque, In::pressure).yvalues[0], -1.5f);
    EXPECT_FLOAT_EQ(curve(resource, S::opaque, In::pressure).xvalues[1], 10.0f);
    EXPECT_EQ(resource.brush()->base_value(S::hardness), 0.0f);
}

TEST(BrushFile, UnreadableFilesAreInvalid)
{
    DabBrushResource missing(QStringLiteral("/nonexistent/brush.myb"));
    EXPECT_FALSE(missing.load());
    EXPECT_FALSE(missing.valid());

    QTemporaryDir dir;
    DabBrushResource folder(dir.path());
    EXPECT_FALSE(folder.load());

    DabBrushResource notUtf8(QString{});
    EXPECT_FALSE(loadText(notUtf8, QByteArray("version 2\nopaque 0.5\xff\xfe\n")).ok);
    EXPECT_EQ(notUtf8.brush()->base_value(S::opaque), 0.0f);
}

TEST(BrushFile, ColourAndBaseValueSetters)
{
    DabBrushResource resource(QString{});
    resource.set_color_rgb(QColor(Qt::red));
    float h, s, v;
    resource.get_color_hsv(h, s, v);
    EXPECT_EQ(h, 0.0f);
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(v, 1.0f);
    EXPECT_EQ(resource.brush()->base_value(S::color_s), 1.0f);

    resource.set_color_rgb_r(0.0f, 2.0f, 2.0f); // clamped: cyan
    resource.get_color_hsv(h, s, v);
    EXPECT_FLOAT_EQ(h, 0.5f);
    EXPECT_EQ(resource.get_color_rgb(), QColor::fromRgbF(0.0f, 1.0f, 1.0f));

    // The resource's own setter changes the engine only.
    resource.set_base_value(S::offset_by_random, 0.5f);
    resource.set_base_value(S::radius_logarithmic, 1.0f);
    EXPECT_EQ(resource.setting_value_by_cname(QStringLiteral("radius_logarithmic")), 2.0f);
    EXPECT_NEAR(resource.get_actual_radius(), std::exp(1.0) * 2.0, 1e-5);

    resource.set_base_value(S::speed1_gamma, 0.0f);
    EXPECT_FLOAT_EQ(resource.brush()->speed_m(0), 0.69f);
    EXPECT_NEAR(resource.brush()->speed_q(0), -2.1418f, 1e-3);

    testing::internal::CaptureStdout();
    resource.set_base_value(39, 1.0f);
    resource.set_base_value(S::hardness, NAN);
    resource.setting_by_cname(QStringLiteral("hardness"))->set_base_value(INFINITY);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Assert Failed!!Assert Failed!!Assert Failed!!");
    EXPECT_EQ(resource.brush()->base_value(S::hardness), 0.0f);
    EXPECT_FLOAT_EQ(resource.setting_value_by_cname(QStringLiteral("hardness")), 0.8f);

    resource.setting_by_cname(QStringLiteral("eraser"))->set_base_value(0.95f);
    EXPECT_TRUE(resource.is_eraser());
}

TEST(BrushFile, SetPointsRefusesCountsTheCurveCannotHold)
{
    DabBrushResource resource(QString{});
    KZBrushSetting* opaque = resource.setting_by_cname(QStringLiteral("opaque"));
    const BrushInputDefinition* speed1 = BrushInputDefinitions::sharedInstance()->definition(QStringLiteral("speed1"));
    ASSERT_TRUE(opaque->set_points(speed1, {{0, 0}, {1, 1}}));

    std::vector<QPointF> nine;
    for (int i = 0; i < 9; ++i)
        nine.emplace_back(i, i);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(opaque->set_points(speed1, nine));
    EXPECT_FALSE(opaque->set_points(speed1, {{0, 0}}));
    EXPECT_FALSE(opaque->set_points(nullptr, {{0, 0}, {1, 1}}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Assert Failed!!Assert Failed!!Assert Failed!!");
    EXPECT_EQ(curve(resource, S::opaque, In::speed1).n, 2);
    EXPECT_EQ(curve(resource, S::opaque, In::pressure).n, 0);

    // Points out of order are reported but kept.
    testing::internal::CaptureStdout();
    EXPECT_TRUE(opaque->set_points(speed1, {{1, 0}, {0, 1}}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Assert Failed!!");
    EXPECT_EQ(curve(resource, S::opaque, In::speed1).xvalues[1], 0.0f);

    // No points removes the curve.
    EXPECT_TRUE(opaque->set_points(speed1, {}));
    EXPECT_EQ(resource.brush()->mapping(S::opaque)->inputs_used(), 0);
}

TEST(BrushFile, ReplacingTheEngineMovesTheSettingsAlong)
{
    DabBrushResource resource(QString{});
    resource.setBrush(std::make_unique<Brush>());
    resource.setting_by_cname(QStringLiteral("hardness"))->set_base_value(0.25f);
    EXPECT_EQ(resource.brush()->base_value(S::hardness), 0.25f);
    for (const auto& setting : resource.brushSettingsArray())
        EXPECT_EQ(setting->parent_brush(), resource.brush());

    resource.setBrush(nullptr);
    EXPECT_EQ(resource.get_actual_radius(), 0.0);
    EXPECT_FALSE(resource.stroke_to_surface(nullptr, 0, 0, 0, 0, 0, 0.1));
    resource.set_base_value(S::hardness, 0.5f); // no engine: nothing happens
    resource.setting_by_cname(QStringLiteral("hardness"))->set_base_value(0.5f);
    EXPECT_FLOAT_EQ(resource.setting_value_by_cname(QStringLiteral("hardness")), 0.5f);
}
