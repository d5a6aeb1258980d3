#pragma once

// Colour conversions of the brush engine, on three floats in place. Colours
// are 0..1; hue is a fraction of the full circle (0..1), not degrees.

void hsv_to_rgb(float& h, float& s, float& v);
void rgb_to_hsv(float& r, float& g, float& b);
void rgb_to_hsl(float& r, float& g, float& b);
void hsl_to_rgb(float& h, float& s, float& l);
