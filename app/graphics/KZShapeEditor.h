#pragma once

#include "KZGraphicEditor.h"

#include <QColor>

// The editor of shapes: besides moving, resizing and turning, it keeps the
// shape's colours, line width and fill/stroke in step with the toolbox while
// the shape is edited. A change of Option reaches the colours at the next
// change the context announces, since the colours are taken before the
// Option bit is.
class KZShapeEditor : public KZGraphicEditor {
public:
    KZShapeEditor(KZGraphicsContext* context, std::shared_ptr<KZGraphicElement> element);
    ~KZShapeEditor() override;

    // Front colour while flipColor, else back colour; strokeColor the other.
    QColor fillColor() const;
    QColor strokeColor() const;
    bool flipColor() const { return m_flipColor; }
    void setFlipColor(bool flip) { m_flipColor = flip; }

private:
    void contextDidChange(const QString& keyPath);
    bool optionHeld() const;

    bool m_flipColor = false;
};
