#pragma once

#include "ColorAdapter.h"
#include "DabRowKernel.h"
#include "DevicePainter.h"
#include "PixelDevice.h"
#include "Surface.h"

#include <QImage>
#include <QRectF>
#include <cstdint>
#include <memory>
#include <vector>

// The brush engine's surface over canvas bitmaps: dabs are read from the
// source device and written into the painter's device; colours are sampled
// from the source device. Coordinates are the engine's, y upwards (engine
// row e is scanline height - 1 - e). Only pixels inside the bitmaps are
// painted or sampled, including the partial 8 × 8 cells along the right and
// bottom edges.
class DabSurface : public Surface
{
public:
    // None of the three is owned; all must outlive the surface. bitmapContext
    // is the bitmap the painter's device writes into.
    DabSurface(QImage* bitmapContext, PixelDevice* source, DevicePainter* painter);
    ~DabSurface() override;

    DabSurface(const DabSurface&) = delete;
    DabSurface& operator=(const DabSurface&) = delete;

    bool render_dab(float x, float y, float radius, float colorR, float colorG, float colorB,
                    float opacity, float hardness, float eraserTargetAlpha, float aspectRatio,
                    float angle) override;
    void sample_color(float x, float y, float radius, float& colorR, float& colorG, float& colorB,
                      float& colorA) override;

    // Union of the boxes of every dab given to render_dab (also those that
    // drew nothing), clipped to the target bitmap, in engine coordinates.
    QRectF dirtyRect() const { return m_dirtyRect; }
    void setDirtyRect(const QRectF& rect) { m_dirtyRect = rect; }
    // dirtyRect turned over into the target bitmap's top-down coordinates.
    QRectF imageDirtyRect() const;

    QImage createImage() const;
    void setColorBytes(float red, float green, float blue, float alpha);
    const unsigned char* colorBytes() const { return m_colorBytes; }

private:
    // What a dab's shape needs that depends on its size, ratio and angle
    // alone: worked out again only when one of them changes, as dabs of one
    // stroke mostly share them.
    struct ShapeTerms
    {
        // The inputs, compared bit for bit (so that -0 and 0, whose sines
        // differ in sign, are told apart).
        uint32_t radiusBits = 0, ratioBits = 0, angleBits = 0;
        bool valid = false;
        float cs = 1.0f, sn = 0.0f, inverseRadius2 = 0.0f;
        // Where rows meet the ellipse: see shapeTerms.
        double halfOverA = 0.0, discPerDy2 = 0.0, outerDisc0 = 0.0, innerDisc0 = 0.0, shiftPerDy = 0.0;
        bool innerReachPositive = false;
    };
    const ShapeTerms& shapeTerms(float radius, float ratio, float angle);
    void addDirtyBox(float x, float y, float ratio, float radius, int width, int height);

    ShapeTerms m_shape;

    std::unique_ptr<ColorAdapter> m_adapter;
    unsigned char m_colorBytes[4] = {0, 0, 0, 0};
    QRectF m_dirtyRect;
    PixelDevice* m_source;
    PixelDevice* m_target;
    QImage* m_context;

    // Per-column terms of the current dab, kept so no dab allocates.
    std::vector<float> m_columnCos;
    std::vector<float> m_columnSin;
    std::vector<float> m_columnDx;
    // Per-row terms and spans of the current dab.
    std::vector<float> m_rowSin;
    std::vector<float> m_rowCos;
    std::vector<DabRowSpan> m_rowSpans;
};
