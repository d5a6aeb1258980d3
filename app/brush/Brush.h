#pragma once

#include "BrushIndexes.h"
#include "BrushRandom.h"
#include "Mapping.h"

#include <array>

class Surface;

// The dab engine of one loaded brush: 39 setting curves, 25 state values and
// the settings as last evaluated. Each pointer event enters through
// stroke_segment, which steps the state dab by dab along the way from the
// previous position and paints every dab on a Surface. Positions are in
// surface pixels with y upwards, times in seconds, angles in degrees.
class Brush
{
public:
    static constexpr int kSettingCount = BrushSettingIndex::count;
    static constexpr int kInputCount = BrushInputIndex::count;
    static constexpr int kStateCount = BrushStateIndex::count;

    // At most this many dabs are painted for one event, fewer for big dabs
    // (see kDabPixelBudget); when more are due they are spread evenly over
    // the way instead, so that extreme brush values cannot stall painting.
    static constexpr int kMaxDabsPerEvent = 1024;
    static constexpr int kMinDabsPerEvent = 16;
    // Pixels that the dab boxes of one event may cover, roughly.
    static constexpr double kDabPixelBudget = 64.0 * 1024.0 * 1024.0;

    Brush();
    ~Brush();

    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;

    // The setting's mapping, or nullptr outside 0..38.
    Mapping* mapping(int setting);
    const Mapping* mapping(int setting) const;
    // Base value of a setting (0 outside 0..38).
    float base_value(int setting) const;

    // Sets how many points an input curve of the mapping uses (0 or 2..8);
    // anything else is refused with "Assert Failed!!" and changes nothing.
    // The first n points are reset to (0, 0).
    void set_input_point_count(Mapping* mapping, int input, int n);

    // Recomputes the speed input constants from the gamma base values.
    void update_speed_constants();

    // One pointer event. Returns whether this is a moment at which a long
    // stroke could be split.
    bool stroke_segment(Surface* surface, float x, float y, float pressure, float xtilt, float ytilt,
                        double dtime);
    // Dabs due between the tracked position and (x, y) over dt seconds.
    float count_dabs_between(float x, float y, float pressure, float dt);
    // Moves the state one step and evaluates every setting.
    void update_brush_states(float step_dx, float step_dy, float step_dpressure, float step_declination,
                             float step_ascension, float step_dt);
    // Places and colours one dab and renders it; returns what the surface returns.
    bool draw_one_dab(Surface* surface);

    // Normal noise, mean 0 and standard deviation close to 1.
    float gauss_noise();

    float state(int index) const { return m_states[size_t(index)]; }
    void set_state(int index, float value) { m_states[size_t(index)] = value; }
    float setting_value(int setting) const { return m_settingValues[size_t(setting)]; }
    double painting_time() const { return m_paintingTime; }
    double idle_time() const { return m_idleTime; }
    float speed_gamma(int which) const { return m_speedGamma[size_t(which)]; }
    float speed_m(int which) const { return m_speedM[size_t(which)]; }
    float speed_q(int which) const { return m_speedQ[size_t(which)]; }

    BrushRandom& random_source() { return m_random; }

    bool debug_flag() const { return m_debugFlag; }

private:
    float value(int setting) const { return m_settingValues[size_t(setting)]; }
    float base(int setting) const { return m_mappings[size_t(setting)].base_value(); }
    void sanitizeStates();
    int dabLimitForEvent() const;

    bool m_debugFlag = false;
    double m_paintingTime = 0.0;
    double m_idleTime = 0.0;
    std::array<float, kStateCount> m_states {};
    BrushRandom m_random;
    std::array<Mapping, kSettingCount> m_mappings;
    std::array<float, kSettingCount> m_settingValues {};
    std::array<float, 2> m_speedGamma {};
    std::array<float, 2> m_speedM {};
    std::array<float, 2> m_speedQ {};
};
