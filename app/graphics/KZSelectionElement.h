#pragma once

#include "KZVectorImage.h"

// An outline just dragged by a pixel-selection tool; its content is the
// outline path. The rectangle and free-hand kinds only choose the builder
// and give their tools a label: both build plain selection elements.
class KZSelectionElement : public KZVectorImage {
public:
    using KZVectorImage::KZVectorImage;

    // "selection": the base builder (which only selects all), plain editor.
    static const KZGraphicElementClass& kind();
    // "rectangle selection" and "free selection".
    static const KZGraphicElementClass& rectangleKind();
    static const KZGraphicElementClass& freeKind();
    const KZGraphicElementClass& elementClass() const override { return kind(); }
};
