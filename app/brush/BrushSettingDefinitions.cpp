#include "BrushSettingDefinitions.h"

#include "BrushIndexes.h"
#include "BrushLog.h"

namespace {

struct SettingRow {
    const char* cname;
    const char* displayedName;
    bool constant;
    float minimum;
    float defaultValue;
    float maximum;
    const char* tooltip;
};

// Index order matters: it is the order of BrushSettingIndex.
const SettingRow kSettings[] = {
        {"opaque", "opaque", false, 0.0f, 1.0f, 1.0f,
         "0 means brush is transparent, 1 fully visible\n(also known as alpha or opacity)"},
        {"opaque_multiply", "opaque multiply", false, 0.0f, 0.0f, 1.0f,
         "This gets multiplied with opaque. It is used for making opaque depend on pressure (or other inputs)."},
        {"opaque_linearize", "opaque linearize", true, 0.0f, 0.9f, 2.0f,
         "Correct the nonlinearity introduced by blending multiple dabs on top of each other. This correction should get you a linear (\"natural\") pressure response when pressure is mapped to opaque_multiply, as it is usually done. 0.9 is good for standard strokes, set it smaller if your brush scatters a lot, or higher if you use dabs_per_second.\n0.0 the opaque value above is for the individual dabs\n1.0 the opaque value above is for the final brush stroke, assuming each pixel gets (dabs_per_radius*2) brushdabs on average during a stroke"},
        {"radius_logarithmic", "radius", false, -2.0f, 2.0f, 5.0f,
         "basic brush radius (logarithmic)\n 0.7 means 2 pixels\n 3.0 means 20 pixels"},
        {"hardness", "hardness", false, 0.0f, 0.8f, 1.0f,
         "hard brush-circle borders (setting to zero will draw nothing)"},
        {"dabs_per_basic_radius", "dabs per basic radius", true, 0.0f, 0.0f, 6.0f,
         "how many dabs to draw while the pointer moves a distance of one brush radius (more precise: the base value of the radius)"},
        {"dabs_per_actual_radius", "dabs per actual radius", true, 0.0f, 2.0f, 6.0f,
         "same as above, but the radius actually drawn is used, which can change dynamically"},
        {"dabs_per_second", "dabs per second", true, 0.0f, 0.0f, 80.0f,
         "dabs to draw each second, no matter how far the pointer moves"},
        {"radius_by_random", "radius by random", false, 0.0f, 0.0f, 1.5f,
         "Alter the radius randomly each dab. You can also do this with the by_random input on the radius setting. If you do it here, there are two differences:\n1) the opaque value will be corrected such that a big-radius dabs is more transparent\n2) it will not change the actual radius seen by dabs_per_actual_radius"},
        {"speed1_slowness", "speed1 filter", false, 0.0f, 0.04f, 0.2f,
         "how slowly the input speed1 follows the real speed.\n0.0 changes immediately as your speed changes (not recommended, but try it.)"},
        {"speed2_slowness", "speed2 filter", false, 0.0f, 0.8f, 3.0f,
         "same as 'speed1 slowness' but note that the range is different"},
        {"speed1_gamma", "speed1 gamma", true, -8.0f, 4.0f, 8.0f,
         "This changes the reaction of the speed1 input to extreme physical speed. You will see the difference best if speed1 is mapped to the radius.\n-8.0 very fast speed does not increase speed1 much more\n+8.0 very fast speed increases speed1 a lot\nFor very slow speed the opposite happens."},
        {"speed2_gamma", "speed2 gamma", true, -8.0f, 4.0f, 8.0f,
         "same as 'speed1 gamma' for speed2"},
        {"offset_by_random", "jitter", false, 0.0f, 0.0f, 2.0f,
         "add a random offset to the position where each dab is drawn\n 0.0 disabled\n 1.0 standard deviation is one basic radius away\n<0.0 negative values produce no jitter"},
        {"offset_by_speed", "offset by speed", false, -3.0f, 0.0f, 3.0f,
         "change position depending on pointer speed\n= 0 disable\n> 0 draw where the pointer moves to\n< 0 draw where the pointer comes from"},
        {"offset_by_speed_slowness", "offset by speed filter", false, 0.0f, 1.0f, 15.0f,
         "how slow the offset goes back to zero when the cursor stops moving"},
        {"slow_tracking", "slow position tracking", true, 0.0f, 0.0f, 10.0f,
         "Slowdown pointer tracking speed. 0 disables it, higher values remove more jitter in cursor movements. Useful for drawing smooth, comic-like outlines."},
        {"slow_tracking_per_dab", "slow tracking per dab", false, 0.0f, 0.0f, 10.0f,
         "Similar as above but at brushdab level (ignoring how much time has past, if brushdabs do not depend on time)"},
        {"tracking_noise", "tracking noise", true, 0.0f, 0.0f, 12.0f,
         "add randomness to the mouse pointer; this usually generates many small lines in random directions; maybe try this together with 'slow tracking'"},
        {"color_h", "color hue", true, 0.0f, 0.0f, 1.0f,
         "color hue"},
        {"color_s", "color saturation", true, -0.5f, 0.0f, 1.5f,
         "color saturation"},
        {"color_v", "color value", true, -0.5f, 0.0f, 1.5f,
         "color value (brightness, intensity)"},
        {"change_color_h", "change color hue", false, -2.0f, 0.0f, 2.0f,
         "Change color hue.\n-0.1 small clockwise color hue shift\n 0.0 disable\n 0.5 counterclockwise hue shift by 180 degrees"},
        {"change_color_l", "change color lightness (HSL)", false, -2.0f, 0.0f, 2.0f,
         "Change the color lightness (luminance) using the HSL color model.\n-1.0 blacker\n 0.0 disable\n 1.0 whiter"},
        {"change_color_hsl_s", "change color satur. (HSL)", false, -2.0f, 0.0f, 2.0f,
         "Change the color saturation using the HSL color model.\n-1.0 more grayish\n 0.0 disable\n 1.0 more saturated"},
        {"change_color_v", "change color value (HSV)", false, -2.0f, 0.0f, 2.0f,
         "Change the color value (brightness, intensity) using the HSV color model. HSV changes are applied before HSL.\n-1.0 darker\n 0.0 disable\n 1.0 brigher"},
        {"change_color_hsv_s", "change color satur. (HSV)", false, -2.0f, 0.0f, 2.0f,
         "Change the color saturation using the HSV color model. HSV changes are applied before HSL.\n-1.0 more grayish\n 0.0 disable\n 1.0 more saturated"},
        {"smudge", "smudge", false, 0.0f, 0.0f, 1.0f,
         "Paint with the smudge color instead of the brush color. The smudge color is slowly changed to the color you are painting on.\n 0.0 do not use the smudge color\n 0.5 mix the smudge color with the brush color\n 1.0 use only the smudge color"},
        {"smudge_length", "smudge length", false, 0.0f, 0.5f, 1.0f,
         "This controls how fast the smudge color becomes the color you are painting on.\n0.0 immediately change the smudge color\n1.0 never change the smudge color"},
        {"smudge_radius_log", "smudge radius", false, -1.6f, 0.0f, 1.6f,
         "This modifies the radius of the circle where color is picked up for smudging.\n 0.0 use the brush radius \n-0.7 half the brush radius\n+0.7 twice the brush radius\n+1.6 five times the brush radius (slow)"},
        {"eraser", "eraser", false, 0.0f, 0.0f, 1.0f,
         "how much this tool behaves like an eraser\n 0.0 normal painting\n 1.0 standard eraser\n 0.5 pixels go towards 50% transparency"},
        {"stroke_threshold", "stroke threshold", true, 0.0f, 0.0f, 0.5f,
         "How much pressure is needed to start a stroke. This affects the stroke input only. The engine does not need a minimal pressure to start drawing."},
        {"stroke_duration_logarithmic", "stroke duration", false, -1.0f, 4.0f, 7.0f,
         "How far you have to move until the stroke input reaches 1.0. This value is logarithmic (negative values will not invert the process)."},
        {"stroke_holdtime", "stroke hold time", false, 0.0f, 0.0f, 10.0f,
         "This defines how long the stroke input stays at 1.0. After that it will reset to 0.0 and start growing again, even if the stroke is not yet finished.\n2.0 means twice as long as it takes to go from 0.0 to 1.0\n9.9 and bigger stands for infinite"},
        {"custom_input", "custom input", false, -5.0f, 0.0f, 5.0f,
         "Set the custom input to this value. If it is slowed down, move it towards this value (see below). The idea is that you make this input depend on a mixture of pressure/speed/whatever, and then make other this depend on this 'custom input' instead of repeating this combination everywhere you need it.\nIf you make it change 'by random' you can generate a slow (smooth) random input."},
        {"custom_input_slowness", "custom input filter", false, 0.0f, 0.0f, 10.0f,
         "How slow the custom input actually follows the desired value (the one above). This happens at brushdab level (ignoring how much time has past, if brushdabs do not depend on time).\n0.0 no slowdown (changes apply instantly)"},
        {"elliptical_dab_ratio", "elliptical dab: ratio", false, 1.0f, 1.0f, 10.0f,
         "aspect ratio of the dabs; must be >= 1.0, where 1.0 means a perfectly round dab. TODO: linearize? start at 0.0 maybe, or log?"},
        {"elliptical_dab_angle", "elliptical dab: angle", false, 0.0f, 90.0f, 180.0f,
         "this defines the angle by which eliptical dabs are tilted\n 0.0 horizontal dabs\n 45.0 45 degrees, turned clockwise\n 180.0 horizontal again"},
        {"direction_filter", "direction filter", false, 0.0f, 2.0f, 10.0f,
         "a low value will make the direction input adapt more quickly, a high value will make it smoother"},
};

} // namespace

BrushSettingDefinitions* BrushSettingDefinitions::sharedInstance()
{
    // Deliberately never freed: settings objects of loaded brushes point at
    // the definitions for as long as the program runs.
    static BrushSettingDefinitions* instance = new BrushSettingDefinitions();
    return instance;
}

BrushSettingDefinitions::BrushSettingDefinitions()
{
    for (const SettingRow& row : kSettings) {
        m_owned.push_back(std::make_unique<BrushSettingDefinition>(
            QString::fromUtf8(row.cname), QString::fromUtf8(row.displayedName), row.constant,
            row.minimum, row.defaultValue, row.maximum, QString::fromUtf8(row.tooltip)));
        m_list.append(m_owned.back().get());
    }
    int walked = 0;
    for (int i = 0; i < int(m_owned.size()); ++i) {
        m_owned[size_t(i)]->setIndex(i);
        m_dict.insert(m_owned[size_t(i)]->cname(), m_owned[size_t(i)].get());
        ++walked;
    }
    if (walked != BrushSettingIndex::count)
        BrushLog::assertFailed();
}

BrushSettingDefinitions::~BrushSettingDefinitions()
{
    BrushLog::print(QByteArrayLiteral("Deleting static definitions for brush settings\n"));
}
