#pragma once

#include "platform/appkit/ButtonCell.h"

#include <QGradientStops>

// The look of a drop-list button: a light bluish rim around a grey-to-white
// face, both lighter towards the top, darkened while pressed; the title
// sits 10 points higher than a plain cell puts it, leaving room for the
// drop mark below it.
class KZDropListButtonCell : public platform::ButtonCell {
public:
    static constexpr double kTitleRise = 10.0;
    static constexpr double kCornerRadius = 1.0;

    // From the bottom edge up.
    static QGradientStops rimStops();
    static QGradientStops faceStops();

    QRectF titleRectForBounds(const QRectF& bounds, QWidget* view) const override;
    void drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override;
};
