#pragma once

#include "KZGraphicElement.h"

#include <QColor>
#include <QPainterPath>

#include <optional>

// An element holding a path with its fill and stroke settings: shapes,
// selection outlines and text boxes. The path is stored moved so that the
// centre of its bounds is (0, 0); the stroke width is in canvas pixels and is
// not scaled with the element.
class KZVectorImage : public KZGraphicElement {
public:
    KZVectorImage();
    // Shows the path exactly where it lay: the stored path is centred and
    // the position is the centre of the given path's bounds.
    explicit KZVectorImage(const QPainterPath& path);

    // Base reset, then white fill, black stroke, line size 2, stroke only.
    void resetState() override;

    // The stored, centred path; none when the element has no content.
    const std::optional<QPainterPath>& image() const { return m_image; }
    // Stores a centred copy of a non-empty path (filled by the winding
    // rule); an empty one leaves the element without content. The
    // placement is not touched.
    void setImage(const std::optional<QPainterPath>& path);

    // The size of the stored path's bounds; zero without content.
    QSizeF originSize() const override;
    // The outline's bounds grown by lineSize / 2 + 0.5 on every side, so
    // that the stroke and its anti-aliased edge lie inside.
    QRectF bounds() const override;

    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor& color) { m_fillColor = color; }
    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor& color) { m_strokeColor = color; }
    double lineSize() const { return m_lineSize; }
    void setLineSize(double size) { m_lineSize = size; }
    bool shouldFill() const { return m_shouldFill; }
    void setShouldFill(bool fill) { m_shouldFill = fill; }
    bool shouldStroke() const { return m_shouldStroke; }
    void setShouldStroke(bool stroke) { m_shouldStroke = stroke; }

private:
    void resetVectorState();

    std::optional<QPainterPath> m_image;
    QColor m_fillColor;
    QColor m_strokeColor;
    double m_lineSize = 2.0;
    bool m_shouldFill = false;
    bool m_shouldStroke = true;
};
