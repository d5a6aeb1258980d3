#pragma once

#include "platform/appkit/SegmentedCell.h"

#include <QFont>
#include <QGradientStops>

class QPainter;
class QRectF;
class QWidget;

// Draws the segments of a tab selector: each one a gradient (lighter for the
// chosen one) with its label centred in the small bold system font.
class KZTabSegmentedCell : public platform::SegmentedCell {
public:
    // From the bottom (0) of a segment to its top (1).
    static QGradientStops selectedStops();
    static QFont labelFont(const QWidget* view);

    void drawSegment(QPainter& painter, int segment, const QRectF& frame, QWidget* view) const;
};
