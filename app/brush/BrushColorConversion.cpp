#include "BrushColorConversion.h"

#include <algorithm>
#include <cmath>

namespace {

float clamp01(float v)
{
    // NaN goes to 0 so that it can never reach an integer conversion.
    if (!(v > 0.0f))
        return 0.0f;
    return v < 1.0f ? v : 1.0f;
}

// Hue wrapped into 0..1; a value that is not finite has no meaningful hue.
float wrapHue(float h)
{
    if (!std::isfinite(h))
        return 0.0f;
    return h - std::floor(h);
}

} // namespace

void hsv_to_rgb(float& h, float& s, float& v)
{
    h = wrapHue(h);
    s = clamp01(s);
    v = clamp01(v);
    float r, g, b;
    if (s == 0.0f) {
        r = g = b = v;
    } else {
        float h6 = h * 6.0f;
        if (h == 1.0f)
            h6 = 0.0f;
        const int i = int(h6);
        const float f = h6 - float(i);
        const float p = v * (1.0f - s);
        const float q = v * (1.0f - f * s);
        const float t = v * (1.0f - (1.0f - f) * s);
        switch (i) {
        case 0: r = v; g = t; b = p; break;
        case 1: r = q; g = v; b = p; break;
        case 2: r = p; g = v; b = t; break;
        case 3: r = p; g = q; b = v; break;
        case 4: r = t; g = p; b = v; break;
        case 5: r = v; g = p; b = q; break;
        default: r = g = b = 0.0f; break;
        }
    }
    h = r;
    s = g;
    v = b;
}

void rgb_to_hsv(float& r, float& g, float& b)
{
    const float max = std::max(r, std::max(g, b));
    const float min = std::min(r, std::min(g, b));
    const float delta = max - min;
    const float v = max;
    float h = 0.0f, s = 0.0f;
    if (delta > 0.0001f) {
        s = delta / max;
        if (r == max) {
            h = (g - b) / delta;
            if (h < 0.0f)
                h += 6.0f;
        } else if (g == max) {
            h = 2.0f + (b - r) / delta;
        } else if (b == max) {
            h = 4.0f + (r - g) / delta;
        }
        h /= 6.0f;
    }
    r = h;
    g = s;
    b = v;
}

void rgb_to_hsl(float& r, float& g, float& b)
{
    const float max = std::max(r, std::max(g, b));
    const float min = std::min(r, std::min(g, b));
    const float l = (max + min) / 2.0f;
    float h = 0.0f, s = 0.0f;
    if (max != min) {
        const float delta = max - min;
        if (l <= 0.5f)
            s = delta / (max + min);
        else
            s = delta / (2.0f - max - min);
        if (r == max)
            h = (g - b) / delta;
        else if (g == max)
            h = 2.0f + (b - r) / delta;
        else if (b == max)
            h = 4.0f + (r - g) / delta;
        h /= 6.0f;
        if (h < 0.0f)
            h += 1.0f;
    }
    r = h;
    g = s;
    b = l;
}

namespace {

float hslPart(float n1, float n2, float hue)
{
    if (hue > 6.0f)
        hue -= 6.0f;
    else if (hue < 0.0f)
        hue += 6.0f;
    if (hue < 1.0f)
        return n1 + (n2 - n1) * hue;
    if (hue < 3.0f)
        return n2;
    if (hue < 4.0f)
        return n1 + (n2 - n1) * (4.0f - hue);
    return n1;
}

} // namespace

void hsl_to_rgb(float& h, float& s, float& l)
{
    h = wrapHue(h);
    s = clamp01(s);
    l = clamp01(l);
    float r, g, b;
    if (s == 0.0f) {
        r = g = b = l;
    } else {
        const float m2 = l <= 0.5f ? l * (s + 1.0f) : l + s - l * s;
        const float m1 = 2.0f * l - m2;
        const float h6 = h * 6.0f;
        r = hslPart(m1, m2, h6 + 2.0f);
        g = hslPart(m1, m2, h6);
        b = hslPart(m1, m2, h6 - 2.0f);
    }
    h = r;
    s = g;
    l = b;
}
