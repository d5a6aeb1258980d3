#pragma once

// The drawing target of the brush engine: it renders one dab and reads the
// average colour under a disc. Coordinates are the engine's (y upwards).
class Surface
{
public:
    virtual ~Surface();

    // Returns whether the dab was drawn.
    virtual bool render_dab(float x, float y, float radius, float colorR, float colorG, float colorB,
                            float opacity, float hardness, float eraserTargetAlpha,
                            float aspectRatio, float angle) = 0;

    // Average colour under the disc, un-premultiplied, each 0..1.
    virtual void sample_color(float x, float y, float radius, float& colorR, float& colorG,
                              float& colorB, float& colorA) = 0;
};
