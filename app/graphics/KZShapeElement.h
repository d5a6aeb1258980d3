#pragma once

#include "KZVectorImage.h"

// A shape on the canvas: a vector element whose outline is a kind's sample
// mapped into a box, edited by the shape editor. Every kind makes plain
// shape elements; the kinds differ only in their samples (KZShapeKinds).
class KZShapeElement : public KZVectorImage {
public:
    using KZVectorImage::KZVectorImage;

    // "KZShape", edited by KZShapeEditor, built by no builder of its own.
    static const KZGraphicElementClass& kind();
    const KZGraphicElementClass& elementClass() const override { return kind(); }
};
