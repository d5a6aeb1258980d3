#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QTransform>

#include <cstdint>

class QPainter;

// One tiled fill: type 1 is the transparency checkerboard (white and light
// grey squares, 16-point tiles), type 2 the pixel grid drawn over a zoomed
// image (a solid cell border every 10 image pixels, and dotted lines at each
// pixel once a pixel is 5 points or more). Made only with all its values;
// there is no empty pattern.
class NPPattern {
public:
    NPPattern() = delete;
    NPPattern(std::int64_t patternType, const QTransform& patternTransform, double zoomFactor, double lineWidth,
              const QColor& strokeColor, const QColor& fillColor);

    std::int64_t patternType() const { return m_patternType; }
    QTransform currentPatternTransform() const { return m_patternTransform; }
    double currentZoomFactor() const { return m_zoomFactor; }
    double lineWidth() const { return m_lineWidth; }
    QColor strokeColor() const { return m_strokeColor; }
    QColor fillColor() const { return m_fillColor; }

    // Makes the pattern the painter's brush: a later fill paints it.
    void fillInContext(QPainter& context) const;

    // False for an unknown type.
    bool hasPattern() const { return !m_tile.isNull(); }
    // The tile in points, and the tile as drawn (its pixel ratio makes its
    // size in points exact even when the side is not a whole number).
    QSizeF tileSize() const { return m_tileSize; }
    const QImage& tileImage() const { return m_tile; }

    // The grid's cell side: 10 points per zoom step, at least 5.
    static double calculateGridSize(double zoomFactor);

private:
    void customInit();
    void drawSquaresTile(QPainter& painter) const;
    void drawGridTile(QPainter& painter) const;

    std::int64_t m_patternType;
    QTransform m_patternTransform;
    double m_zoomFactor;
    double m_lineWidth;
    QColor m_strokeColor;
    QColor m_fillColor;
    QColor m_gridColor; // the stroke colour as device RGB
    QSizeF m_tileSize;
    QImage m_tile;
};
