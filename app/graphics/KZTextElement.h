#pragma once

#include "KZVectorImage.h"

// A text box as an element: a rectangle whose fill and stroke are clear, so
// the element itself draws nothing; the text tool keeps a text view on it.
// Built by the text builder's drag, edited by the text editor.
class KZTextElement : public KZVectorImage {
public:
    explicit KZTextElement(const QPainterPath& path);

    // "KZText", built by KZTextBuilder, edited by KZTextEditor.
    static const KZGraphicElementClass& kind();
    const KZGraphicElementClass& elementClass() const override { return kind(); }
};
