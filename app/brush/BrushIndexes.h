#pragma once

// Positions of the brush settings, inputs and engine states. The setting and
// input positions are the order of BrushSettingDefinitions and
// BrushInputDefinitions; every array of the engine is indexed by them.

namespace BrushSettingIndex {
enum : int {
    opaque = 0,
    opaque_multiply,
    opaque_linearize,
    radius_logarithmic,
    hardness,
    dabs_per_basic_radius,
    dabs_per_actual_radius,
    dabs_per_second,
    radius_by_random,
    speed1_slowness,
    speed2_slowness,
    speed1_gamma,
    speed2_gamma,
    offset_by_random,
    offset_by_speed,
    offset_by_speed_slowness,
    slow_tracking,
    slow_tracking_per_dab,
    tracking_noise,
    color_h,
    color_s,
    color_v,
    change_color_h,
    change_color_l,
    change_color_hsl_s,
    change_color_v,
    change_color_hsv_s,
    smudge,
    smudge_length,
    smudge_radius_log,
    eraser,
    stroke_threshold,
    stroke_duration_logarithmic,
    stroke_holdtime,
    custom_input,
    custom_input_slowness,
    elliptical_dab_ratio,
    elliptical_dab_angle,
    direction_filter,
    count
};
}

namespace BrushInputIndex {
enum : int {
    pressure = 0,
    speed1,
    speed2,
    random,
    stroke,
    direction,
    tilt_declination,
    tilt_ascension,
    custom,
    count
};
}

namespace BrushStateIndex {
enum : int {
    pos_x = 0,
    pos_y,
    pressure,
    dab_fraction,
    actual_radius,
    smudge_red,
    smudge_green,
    smudge_blue,
    smudge_alpha,
    dab_x,
    dab_y,
    slow_dx,
    slow_dy,
    slow_speed1,
    slow_speed2,
    stroke,
    stroke_active,
    custom_value,
    random_seed,
    dab_ratio,
    dab_angle,
    direction_dx,
    direction_dy,
    declination,
    ascension,
    count
};
}
