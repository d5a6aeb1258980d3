// Where a dab lies, how big and opaque it is, and its colour.
#include "Brush.h"
#include "BrushColorConversion.h"
#include "BrushTestSupport.h"
#include "DabBrushResource.h"

#include <cmath>
#include <gtest/gtest.h>

namespace S = BrushSettingIndex;
namespace St = BrushStateIndex;

namespace {

// A loaded empty brush (opacity follows pressure) of radius 1, one dab per
// pixel, painted with a short stroke at pressure 0.75 on a recording surface.
class Placement : public testing::Test
{
protected:
    Placement()
        : resource(QString {})
    {
        resource.brush()->random_source().seed(9);
        set(S::opaque, 1.0f);
        set(S::dabs_per_basic_radius, 1.0f);
        set(S::hardness, 1.0f);
    }

    void set(int setting, float value) { resource.set_base_value(setting, value); }

    void stroke(int events = 3, float pressure = 0.75f)
    {
        resource.stroke_to_surface(&surface, 10, 10, pressure, 0, 0, 10.0);
        for (int i = 1; i <= events; ++i)
            resource.stroke_to_surface(&surface, 10.0f + 3.0f * float(i), 10, pressure, 0, 0, 0.02);
        ASSERT_FALSE(surface.dabs.empty());
    }

    DabBrushResource resource;
    RecordingSurface surface;
};

} // namespace

TEST_F(Placement, OpacityFollowsPressureThroughTheDefaultCurve)
{
    stroke();
    for (const auto& d : surface.dabs) {
        EXPECT_FLOAT_EQ(d.opacity, 0.75f);
        EXPECT_FLOAT_EQ(d.radius, 1.0f);
        EXPECT_FLOAT_EQ(d.eraserTargetAlpha, 1.0f);
        EXPECT_EQ(d.hardness, 1.0f);
    }
    EXPECT_NEAR(surface.dabs.back().x, 19.0f, 1e-4);
}

TEST_F(Placement, LinearisedOpacity)
{
    set(S::opaque_linearize, 0.9f);
    set(S::dabs_per_basic_radius, 0.0f);
    set(S::dabs_per_actual_radius, 2.0f);
    stroke();
    for (const auto& d : surface.dabs)
        EXPECT_NEAR(d.opacity, 1.0f - std::pow(0.25f, 1.0f / 3.7f), 1e-6); // about 0.312
    EXPECT_NEAR(surface.dabs.front().opacity, 0.312f, 1e-3);
}

TEST_F(Placement, RandomRadiusMakesOnlyLargerDabsFainter)
{
    set(S::radius_by_random, 0.5f);
    stroke(10);
    int larger = 0, smaller = 0;
    for (const auto& d : surface.dabs) {
        if (d.radius > 1.0f) {
            ++larger;
            EXPECT_NEAR(d.opacity, 0.75f / (d.radius * d.radius), 1e-5);
        } else {
            ++smaller;
            EXPECT_FLOAT_EQ(d.opacity, 0.75f);
        }
    }
    EXPECT_GT(larger, 0);
    EXPECT_GT(smaller, 0);
}

TEST_F(Placement, SmudgeOverTransparentPixelsErases)
{
    set(S::smudge, 1.0f);
    set(S::smudge_length, 0.0f);
    resource.set_color_rgb_r(0.0f, 0.0f, 1.0f);
    surface.sample = {1.0f, 0.0f, 0.0f, 0.0f}; // what a transparent area gives
    stroke();
    ASSERT_GE(surface.dabs.size(), 2u);
    const auto& second = surface.dabs[1];
    EXPECT_EQ(second.eraserTargetAlpha, 0.0f);
    EXPECT_EQ(second.r, 1.0f);
    EXPECT_EQ(second.g, 0.0f);
    EXPECT_EQ(second.b, 0.0f);
    EXPECT_EQ(resource.brush()->state(St::smudge_alpha), 0.0f);
    // Sampled around the dab centre, rounded to whole pixels, at the dab radius.
    EXPECT_EQ(surface.samples.size(), surface.dabs.size());
    EXPECT_EQ(surface.samples[0][0], std::trunc(surface.dabs[0].x + 0.5f));
    EXPECT_FLOAT_EQ(surface.samples[0][2], 1.0f);
}

TEST_F(Placement, SmudgePicksUpTheColourUnderTheBrush)
{
    set(S::smudge, 1.0f);
    set(S::smudge_length, 0.0f);
    surface.sample = {0.2f, 0.4f, 0.6f, 1.0f};
    stroke();
    const auto& last = surface.dabs.back();
    EXPECT_NEAR(last.r, 0.2f, 1e-5);
    EXPECT_NEAR(last.g, 0.4f, 1e-5);
    EXPECT_NEAR(last.b, 0.6f, 1e-5);
    EXPECT_EQ(last.eraserTargetAlpha, 1.0f);
}

TEST_F(Placement, NoSmudgeNoSample)
{
    stroke();
    EXPECT_TRUE(surface.samples.empty());
}

TEST_F(Placement, EraserClearsTheTargetAlpha)
{
    set(S::eraser, 1.0f);
    stroke();
    for (const auto& d : surface.dabs)
        EXPECT_EQ(d.eraserTargetAlpha, 0.0f);
}

TEST_F(Placement, BrushColourAndShifts)
{
    resource.set_color_rgb(QColor(Qt::red));
    stroke();
    EXPECT_EQ(surface.dabs.back().r, 1.0f);
    EXPECT_EQ(surface.dabs.back().g, 0.0f);

    auto colourWith = [](int setting, float shift) {
        DabBrushResource r(QString {});
        r.set_base_value(S::opaque, 1.0f);
        r.set_base_value(S::dabs_per_basic_radius, 1.0f);
        r.set_color_hsv(0.2f, 0.8f, 0.9f);
        r.set_base_value(setting, shift);
        RecordingSurface s;
        r.stroke_to_surface(&s, 0, 0, 0.5f, 0, 0, 10.0);
        r.stroke_to_surface(&s, 3, 0, 0.5f, 0, 0, 0.02);
        const auto& d = s.dabs.back();
        return std::array<float, 3> {d.r, d.g, d.b};
    };
    const auto plain = colourWith(S::change_color_h, 0.0f);
    const auto wrapped = colourWith(S::change_color_h, 1.0f); // a full turn of hue
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(plain[size_t(i)], wrapped[size_t(i)], 1e-5);
    const auto darker = colourWith(S::change_color_v, -0.5f);
    EXPECT_LT(std::max({darker[0], darker[1], darker[2]}), 0.41f);
    const auto whiter = colourWith(S::change_color_l, 1.0f);
    EXPECT_FLOAT_EQ(whiter[0], 1.0f);
    EXPECT_FLOAT_EQ(whiter[1], 1.0f);
    EXPECT_FLOAT_EQ(whiter[2], 1.0f);
}

TEST_F(Placement, OffsetBySpeedLeadsTheDab)
{
    set(S::offset_by_speed, 2.0f);
    stroke();
    // The pointer ends at x = 19; moving right, the dabs run ahead of it.
    EXPECT_GT(surface.dabs.back().x, 20.0f);
    EXPECT_NEAR(surface.dabs.back().y, 10.0f, 1e-4);
}

TEST(BrushColorConversion, KnownValues)
{
    struct Case { void (*fn)(float&, float&, float&); std::array<float, 3> in, out; };
    const Case cases[] = {
        {hsv_to_rgb, {0.5f, 1, 1}, {0, 1, 1}},
        {hsv_to_rgb, {0.0f, 0, 0.3f}, {0.3f, 0.3f, 0.3f}},
        {hsv_to_rgb, {1.0f, 1, 1}, {1, 0, 0}},       // hue wraps
        {hsv_to_rgb, {-0.5f, 2, 1}, {0, 1, 1}},      // and saturation is clamped
        {hsl_to_rgb, {0.0f, 1, 0.5f}, {1, 0, 0}},
        {hsl_to_rgb, {1.0f / 3.0f, 1, 0.25f}, {0, 0.5f, 0}},
        {rgb_to_hsv, {0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},
        {rgb_to_hsv, {0.0f, 0, 1}, {2.0f / 3.0f, 1, 1}},
        {rgb_to_hsl, {1.0f, 0, 0}, {0, 1, 0.5f}},
        {rgb_to_hsl, {0.0f, 0, 0.5f}, {2.0f / 3.0f, 1, 0.25f}},
    };
    for (const Case& c : cases) {
        float a = c.in[0], b = c.in[1], d = c.in[2];
        c.fn(a, b, d);
        EXPECT_NEAR(a, c.out[0], 1e-6) << c.in[0] << " " << c.in[1] << " " << c.in[2];
        EXPECT_NEAR(b, c.out[1], 1e-6);
        EXPECT_NEAR(d, c.out[2], 1e-6);
    }
    // Round trips.
    for (float h : {0.05f, 0.3f, 0.55f, 0.9f}) {
        float r = h, g = 0.7f, b = 0.6f;
        hsv_to_rgb(r, g, b);
        rgb_to_hsv(r, g, b);
        EXPECT_NEAR(r, h, 1e-5);
        EXPECT_NEAR(g, 0.7f, 1e-5);
        EXPECT_NEAR(b, 0.6f, 1e-5);
        r = h, g = 0.7f, b = 0.4f;
        hsl_to_rgb(r, g, b);
        rgb_to_hsl(r, g, b);
        EXPECT_NEAR(r, h, 1e-5);
        EXPECT_NEAR(g, 0.7f, 1e-5);
        EXPECT_NEAR(b, 0.4f, 1e-5);
    }
    float h = NAN, s = 1, v = 1;
    hsv_to_rgb(h, s, v);
    EXPECT_TRUE(std::isfinite(h) && std::isfinite(s) && std::isfinite(v));
}
