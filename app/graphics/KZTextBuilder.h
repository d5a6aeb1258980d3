#pragma once

#include "KZShapeBuilder.h"

class KZTextElement;

// The drag that makes a text box: the rectangle shape's drag (rounding, Shift
// for a square box), never kept to the canvas. While dragging there is no
// element to preview: the box shows as a purple outline drawn on the overlay.
// Once the drag ends the element is a text box over the dragged rectangle.
class KZTextBuilder : public KZShapeBuilder {
public:
    explicit KZTextBuilder(KZGraphicsContext* context);

    // The purple outline of the box (one device pixel wide) around the
    // dragged rectangle's bounds; the area it covers, grown by 1. Nothing
    // before the drag starts.
    QRectF draw(QPainter* painter) override;
    // None until the drag ends; then a created text box.
    std::shared_ptr<KZGraphicElement> element() const override;

    static QColor outlineColor();

private:
    mutable std::shared_ptr<KZGraphicElement> m_dragged; // the shape the box was made from
    mutable std::shared_ptr<KZTextElement> m_box;
};
