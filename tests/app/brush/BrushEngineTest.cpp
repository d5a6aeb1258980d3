// Engine state, setting evaluation and stroke stepping.
#include "Brush.h"
#include "BrushTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace S = BrushSettingIndex;
namespace In = BrushInputIndex;
namespace St = BrushStateIndex;

namespace {

void setCurve(Brush& brush, int setting, int input, std::initializer_list<std::pair<float, float>> points)
{
    Mapping* m = brush.mapping(setting);
    brush.set_input_point_count(m, input, int(points.size()));
    int i = 0;
    for (const auto& [x, y] : points)
        m->set_point(input, i++, x, y);
}

void setBase(Brush& brush, int setting, float value)
{
    brush.mapping(setting)->set_base_value(value);
    brush.update_speed_constants();
}

// A brush that places one dab per dabsPerRadius-th of a radius of the given size.
void makeSpacedBrush(Brush& brush, float radius, float dabsPerBasicRadius)
{
    setBase(brush, S::radius_logarithmic, std::log(radius));
    setBase(brush, S::dabs_per_basic_radius, dabsPerBasicRadius);
    brush.random_source().seed(3);
}

bool allStatesFinite(const Brush& brush)
{
    for (int i = 0; i < Brush::kStateCount; ++i) {
        if (!std::isfinite(brush.state(i)))
            return false;
    }
    return true;
}

} // namespace

TEST(BrushEngine, CurvesAddTheirValueToTheBase)
{
    struct Case { std::vector<std::pair<float, float>> points; float input; float expected; };
    const Case cases[] = {
        {{{0, 0}, {1, 1}}, 0.75f, 0.75f},
        {{{0, 0}, {0.5f, 1}, {1, 1}}, 0.25f, 0.5f},
        {{{0, 0}, {1, 1}}, 2.0f, 2.0f},            // beyond the last point the segment carries on
        {{{0, 0}, {0.5f, 1}, {1, 1}}, -1.0f, -2.0f}, // and before the first
        {{{0.5f, 3}, {0.5f, 7}}, 0.9f, 3.0f},        // equal x: the first y
    };
    for (const Case& c : cases) {
        Brush brush;
        Mapping* m = brush.mapping(S::opaque_multiply);
        m->set_base_value(0.25f);
        brush.set_input_point_count(m, In::pressure, int(c.points.size()));
        for (size_t i = 0; i < c.points.size(); ++i)
            m->set_point(In::pressure, int(i), c.points[i].first, c.points[i].second);
        float inputs[Brush::kInputCount] = {};
        inputs[In::pressure] = c.input;
        EXPECT_FLOAT_EQ(m->calculate(inputs), 0.25f + c.expected) << c.input;
    }
}

TEST(BrushEngine, PointCountsBeyondTheCurveAreRefused)
{
    Brush brush;
    Mapping* m = brush.mapping(S::opaque);
    testing::internal::CaptureStdout();
    brush.set_input_point_count(m, In::pressure, 9);
    brush.set_input_point_count(m, In::pressure, 1);
    brush.set_input_point_count(m, 9, 2);
    brush.set_input_point_count(m, -1, 2);
    brush.set_input_point_count(nullptr, 0, 2);
    std::string fiveTimes;
    for (int i = 0; i < 5; ++i)
        fiveTimes += "Assert Failed!!";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), fiveTimes);
    EXPECT_EQ(m->inputs_used(), 0);
    EXPECT_FALSE(m->set_point(In::pressure, 8, 1, 1));
    EXPECT_EQ(brush.mapping(39), nullptr);
    EXPECT_EQ(brush.mapping(-1), nullptr);

    brush.set_input_point_count(m, In::pressure, 8);
    brush.set_input_point_count(m, In::speed1, 2);
    EXPECT_EQ(m->inputs_used(), 2);
    brush.set_input_point_count(m, In::pressure, 0);
    EXPECT_EQ(m->inputs_used(), 1);
}

TEST(BrushEngine, SpeedConstants)
{
    Brush brush; // gammas start at 0
    EXPECT_FLOAT_EQ(brush.speed_gamma(0), 1.0f);
    EXPECT_FLOAT_EQ(brush.speed_m(1), 0.69f);
    EXPECT_NEAR(brush.speed_q(1), -2.1418f, 1e-4);
    setBase(brush, S::speed2_gamma, 4.0f);
    EXPECT_FLOAT_EQ(brush.speed_m(1), (std::exp(4.0f) + 45.0f) * 0.015f);
    // A gamma far beyond any brush keeps the constants finite.
    setBase(brush, S::speed1_gamma, 1000.0f);
    EXPECT_TRUE(std::isfinite(brush.speed_gamma(0)) && std::isfinite(brush.speed_m(0)) && std::isfinite(brush.speed_q(0)));
}

TEST(BrushEngine, DabsWithoutAnyDabCountNeverDraw)
{
    Brush brush;
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
    for (int i = 1; i <= 20; ++i)
        brush.stroke_segment(&surface, float(i * 30), 0, 0.5f, 0, 0, 0.05);
    EXPECT_TRUE(surface.dabs.empty());
    EXPECT_EQ(brush.state(St::pos_x), 600.0f);
}

TEST(BrushEngine, FirstEventOfAStrokeOnlyPlacesTheBrush)
{
    Brush brush;
    makeSpacedBrush(brush, 4.0f, 2.0f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 50, 50, 0.5f, 0, 0, 10.0);
    brush.stroke_segment(&surface, 60, 50, 0.5f, 0, 0, 0.02);
    const size_t before = surface.dabs.size();
    ASSERT_GT(before, 0u);

    EXPECT_TRUE(brush.stroke_segment(&surface, 5, 7, 0.75f, 0, 0, 10.0));
    EXPECT_EQ(surface.dabs.size(), before);
    EXPECT_EQ(brush.state(St::pos_x), 5.0f);
    EXPECT_EQ(brush.state(St::dab_y), 7.0f);
    EXPECT_EQ(brush.state(St::pressure), 0.75f);
    EXPECT_EQ(brush.state(St::stroke), 1.0f);
    EXPECT_EQ(brush.state(St::dab_fraction), 0.0f);
    EXPECT_EQ(brush.state(St::slow_speed1), 0.0f);
}

TEST(BrushEngine, EightPixelsAtRadiusFourGiveFourDabs)
{
    Brush brush;
    makeSpacedBrush(brush, 4.0f, 2.0f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
    EXPECT_NEAR(brush.count_dabs_between(8, 0, 0.5f, 0.1f), 4.0f, 1e-5);

    brush.stroke_segment(&surface, 8, 0, 0.5f, 0, 0, 0.1);
    ASSERT_EQ(surface.dabs.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(surface.dabs[size_t(i)].x, 2.0f * float(i + 1), 1e-4) << i;
        EXPECT_NEAR(surface.dabs[size_t(i)].y, 0.0f, 1e-5);
    }
    EXPECT_NEAR(brush.state(St::dab_fraction), 0.0f, 1e-5);
}

TEST(BrushEngine, PartlyTravelledDabFallsAtTheRestOfTheWay)
{
    Brush brush;
    makeSpacedBrush(brush, 4.0f, 2.0f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
    brush.set_state(St::dab_fraction, 0.6f);
    brush.stroke_segment(&surface, 1, 0, 0.5f, 0, 0, 0.1); // due 0.5
    ASSERT_EQ(surface.dabs.size(), 1u);
    EXPECT_NEAR(surface.dabs[0].x, 0.8f, 1e-5);
    EXPECT_NEAR(brush.state(St::dab_fraction), 0.1f, 1e-5);
}

TEST(BrushEngine, EllipticalDabsCountTheirShortSide)
{
    Brush brush;
    makeSpacedBrush(brush, 4.0f, 2.0f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
    brush.set_state(St::dab_ratio, 2.0f);
    brush.set_state(St::dab_angle, 0.0f);
    EXPECT_NEAR(brush.count_dabs_between(0, 8, 0.5f, 0.0f), 8.0f, 1e-4); // across the ellipse: twice as many
    EXPECT_NEAR(brush.count_dabs_between(8, 0, 0.5f, 0.0f), 4.0f, 1e-4);
}

TEST(BrushEngine, TimeSteps)
{
    Brush stepped, reference;
    stepped.random_source().seed(5);
    reference.random_source().seed(5);
    testing::internal::CaptureStdout();
    stepped.update_brush_states(1, 2, 0.5f, 0, 0, -0.5f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Time is running backwards!\n");
    reference.update_brush_states(1, 2, 0.5f, 0, 0, 0.001f);
    for (int i = 0; i < Brush::kStateCount; ++i)
        EXPECT_EQ(stepped.state(i), reference.state(i)) << i;

    // The engine counts a step of no time as 0.0001 seconds.
    Brush brush;
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.0f, 0, 0, 10.0);
    brush.stroke_segment(&surface, 0, 0, 0.0f, 0, 0, 0.0);
    brush.stroke_segment(&surface, 0, 0, 0.0f, 0, 0, -3.0);
    EXPECT_DOUBLE_EQ(brush.idle_time(), 0.0002);
}

TEST(BrushEngine, HoldTimeAboveLimitHoldsTheStrokeInput)
{
    struct Case { float holdtime; float expected; };
    for (const Case& c : {Case {10.0f, 1.0f}, Case {2.0f, 0.0f}, Case {1.0f, 0.0f}}) {
        Brush brush;
        setBase(brush, S::stroke_duration_logarithmic, 0.0f);
        setBase(brush, S::stroke_holdtime, c.holdtime);
        brush.update_brush_states(12, 0, 0, 0, 0, 1.0f); // 12 base radii of way
        EXPECT_FLOAT_EQ(brush.state(St::stroke), c.expected) << c.holdtime;
    }
}

TEST(BrushEngine, DirectionFoldsOppositeStrokesTogether)
{
    auto directionAfter = [](float dx, float dy) {
        Brush brush;
        // The custom input mirrors the direction input.
        setCurve(brush, S::custom_input, In::direction, {{0, 0}, {180, 180}});
        for (int i = 0; i < 3; ++i)
            brush.update_brush_states(dx, dy, 0, 0, 0, 0.01f);
        return brush.state(St::custom_value);
    };
    EXPECT_NEAR(directionAfter(-5, 0), directionAfter(5, 0), 1e-3);
    EXPECT_NEAR(directionAfter(0, -5), directionAfter(0, 5), 1e-3);
    EXPECT_NEAR(directionAfter(0, 5), 90.0f, 1e-3);
    EXPECT_NEAR(directionAfter(3, 3), directionAfter(-3, -3), 1e-4);
}

TEST(BrushEngine, SeededStrokesRepeat)
{
    auto run = [](uint32_t seed) {
        Brush brush;
        makeSpacedBrush(brush, 3.0f, 3.0f);
        setBase(brush, S::offset_by_random, 0.5f);
        setBase(brush, S::tracking_noise, 0.2f);
        brush.random_source().seed(seed);
        RecordingSurface surface;
        brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
        for (int i = 1; i < 10; ++i)
            brush.stroke_segment(&surface, float(i * 7), float(i * 2), 0.5f, 0, 0, 0.02);
        std::vector<float> xs;
        for (const auto& d : surface.dabs)
            xs.push_back(d.x);
        return xs;
    };
    EXPECT_EQ(run(11), run(11));
    EXPECT_NE(run(11), run(12));
}

TEST(BrushEngine, GaussNoiseIsCentredAndNormalised)
{
    Brush brush;
    brush.random_source().seed(1);
    double sum = 0, sumSquares = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const double g = brush.gauss_noise();
        sum += g;
        sumSquares += g * g;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.05);
    EXPECT_NEAR(std::sqrt(sumSquares / n), 1.0, 0.05);
}

TEST(BrushEngine, PositionsThatAreNotNumbersAreDropped)
{
    Brush brush;
    makeSpacedBrush(brush, 2.0f, 2.0f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 10, 10, 0.5f, 0, 0, 10.0);
    std::array<float, Brush::kStateCount> before;
    for (int i = 0; i < Brush::kStateCount; ++i)
        before[size_t(i)] = brush.state(i);

    for (float bad : {NAN, INFINITY, -INFINITY, 2e10f, -5e10f}) {
        EXPECT_FALSE(brush.stroke_segment(&surface, bad, 10, 0.5f, 0, 0, 0.02));
        EXPECT_FALSE(brush.stroke_segment(&surface, 10, bad, 0.5f, 0, 0, 0.02));
    }
    EXPECT_TRUE(surface.dabs.empty());
    for (int i = 0; i < Brush::kStateCount; ++i)
        EXPECT_EQ(brush.state(i), before[size_t(i)]) << i;

    // Odd pressure and tilt are held to their ranges.
    testing::internal::CaptureStdout();
    brush.stroke_segment(&surface, 20, 10, NAN, NAN, INFINITY, 0.02);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Assert Failed!!");
    EXPECT_TRUE(allStatesFinite(brush));
    brush.stroke_segment(&surface, 30, 10, 0.5f, 0, 0, 0.02);
    EXPECT_FALSE(surface.dabs.empty());
    for (const auto& d : surface.dabs)
        EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y));
}

TEST(BrushEngine, ExtremeBaseValuesLeaveNoNaNBehind)
{
    struct Case { int setting; float value; };
    const Case cases[] = {
        {S::radius_logarithmic, -200.0f}, {S::radius_logarithmic, 200.0f}, {S::speed1_gamma, 300.0f},
        {S::speed2_gamma, -300.0f},       {S::custom_input, 3e38f},         {S::offset_by_speed, 1e30f},
        {S::offset_by_random, 1e30f},     {S::tracking_noise, 1e30f},       {S::stroke_holdtime, -1.0f},
        {S::stroke_duration_logarithmic, -200.0f}, {S::direction_filter, 300.0f}, {S::opaque_linearize, -1e30f},
        {S::elliptical_dab_ratio, 3e38f}, {S::elliptical_dab_angle, 3e38f}, {S::smudge_radius_log, 100.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        Brush brush;
        makeSpacedBrush(brush, 2.0f, 2.0f);
        setBase(brush, S::smudge, 0.5f);
        setBase(brush, S::opaque, 1.0f);
        setBase(brush, S::opaque_multiply, 1.0f);
        setCurve(brush, S::radius_logarithmic, In::speed1, {{0, 0}, {1e-30f, 3e38f}});
        setBase(brush, c.setting, c.value);
        RecordingSurface surface;
        surface.sample = {0.5f, 0.5f, 0.5f, 1.0f};
        brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
        for (int i = 1; i < 6; ++i)
            brush.stroke_segment(&surface, float(i * 9), float(i * 4), 0.5f, 0, 0, 0.001);
        EXPECT_TRUE(allStatesFinite(brush));
        for (int i = 0; i < Brush::kSettingCount; ++i)
            EXPECT_TRUE(std::isfinite(brush.setting_value(i))) << i;
        for (const auto& d : surface.dabs) {
            EXPECT_TRUE(std::isfinite(d.radius) && std::isfinite(d.r) && std::isfinite(d.g) && std::isfinite(d.b));
            EXPECT_GE(d.radius, 0.2f);
            EXPECT_LE(d.radius, 800.0f);
        }
    }
}

TEST(BrushEngine, HugeDabCountsAreSpreadOverTheWay)
{
    Brush brush;
    makeSpacedBrush(brush, 2.0f, 1e30f);
    setBase(brush, S::dabs_per_second, 1e38f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
    surface.dabs.clear(); // dabs per second already fill the press's tiny time step
    brush.stroke_segment(&surface, 100, 0, 0.5f, 0, 0, 0.02);
    EXPECT_LE(surface.dabs.size(), size_t(Brush::kMaxDabsPerEvent));
    EXPECT_GE(surface.dabs.size(), size_t(Brush::kMaxDabsPerEvent - 2));
    EXPECT_LT(surface.dabs.front().x, 1.0f);
    EXPECT_GT(surface.dabs.back().x, 99.0f);
    EXPECT_LT(brush.state(St::dab_fraction), 1.0f);
    EXPECT_EQ(brush.state(St::pos_x), 100.0f);

    // Big dabs are fewer still.
    Brush big;
    makeSpacedBrush(big, 800.0f, 1e30f);
    RecordingSurface bigSurface;
    big.stroke_segment(&bigSurface, 0, 0, 0.5f, 0, 0, 10.0);
    bigSurface.dabs.clear();
    big.stroke_segment(&bigSurface, 100, 0, 0.5f, 0, 0, 0.02);
    EXPECT_GE(bigSurface.dabs.size(), size_t(Brush::kMinDabsPerEvent));
    EXPECT_LT(bigSurface.dabs.size(), 40u);
}

TEST(BrushEngine, PenDownAfterPauseMovesThereFirst)
{
    Brush brush;
    makeSpacedBrush(brush, 2.0f, 1.0f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.0f, 0, 0, 10.0);
    // Pressure comes back after 0.5 s: the way is travelled without pressure,
    // then the brush presses down in a moment.
    brush.stroke_segment(&surface, 20, 0, 1.0f, 0, 0, 0.5);
    ASSERT_FALSE(surface.dabs.empty());
    EXPECT_EQ(brush.state(St::pos_x), 20.0f);
    EXPECT_EQ(brush.state(St::pressure), 1.0f);
}

TEST(BrushEngine, SplitFlagFollowsPaintingAndIdleTime)
{
    Brush brush;
    makeSpacedBrush(brush, 2.0f, 1.0f);
    RecordingSurface surface;
    brush.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
    bool split = false;
    float x = 0;
    for (int i = 0; i < 300 && !split; ++i) {
        x += 5;
        split = brush.stroke_segment(&surface, x, 0, 0.5f, 0, 0, 0.02);
    }
    EXPECT_TRUE(split);
    EXPECT_GT(brush.painting_time(), 4.0 + 3.0 * 0.5);

    // Nothing drawn from now on: idle, and a long stroke may still be split.
    surface.result = false;
    EXPECT_TRUE(brush.stroke_segment(&surface, x + 5, 0, 0.5f, 0, 0, 0.02));
    EXPECT_DOUBLE_EQ(brush.idle_time(), 0.02);

    // A fresh brush that draws nothing asks for a split only after a second.
    Brush idle;
    makeSpacedBrush(idle, 2.0f, 1.0f);
    idle.stroke_segment(&surface, 0, 0, 0.5f, 0, 0, 10.0);
    EXPECT_FALSE(idle.stroke_segment(&surface, 10, 0, 0.5f, 0, 0, 0.6));
    EXPECT_TRUE(idle.stroke_segment(&surface, 20, 0, 0.5f, 0, 0, 0.6));
}
