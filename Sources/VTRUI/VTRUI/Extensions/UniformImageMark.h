#pragma once

#include "UniformColor.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>

#include <functional>

class QPainter;

// The background or foreground mark of a composed icon: a rounded rectangle,
// outlined and/or filled in one colour, plus free drawing. A plain value: a
// composed image keeps its own copy. The drawing handler gets the painter of
// the moment and the image's drawing rectangle.
struct UniformImageMark {
    using DrawingHandler = std::function<void(QPainter& painter, const QRectF& rect)>;

    bool isStroked = false;
    bool isFilled = false;
    double borderLineWidth = 0.0;
    double cornerRadius = 0.0;
    UniformColor color{QColor(Qt::black)};
    DrawingHandler customMarkDrawingHandler;

    // The outline's path in rect: inset by half the line width, so the whole
    // stroke stays inside the image.
    QPainterPath strokePath(const QRectF& rect) const;
    QPainterPath fillPath(const QRectF& rect) const;
    // Outline, fill and handler, in that order.
    void drawBackground(QPainter& painter, const QRectF& rect) const;
};
