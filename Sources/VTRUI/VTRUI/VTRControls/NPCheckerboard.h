#pragma once

#include "NPPattern.h"

#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <memory>

class QPainter;

// The transparency checkerboard shown behind transparent pixels, as a ready
// pattern, or drawn square by square without one.
class NPCheckerboard {
public:
    NPCheckerboard() = delete;
    explicit NPCheckerboard(const QTransform& patternTransform);

    // The pattern's transform; the zero transform without a pattern.
    QTransform currentPatternTransform() const;
    void drawRect(const QRectF& rect, QPainter& context) const;
    const NPPattern* pattern() const { return m_pattern.get(); }

    // Tiles of squareSize over rect, each two white and two light grey
    // quarters; nothing for an empty rectangle.
    static void drawCheckerboardWithSquareSize(const QSizeF& squareSize, const QRectF& rect, QPainter& context);

private:
    std::unique_ptr<NPPattern> m_pattern;
};
