#pragma once

#include "KZTexturalButtonCell.h"

#include <QColor>
#include <QImage>

// The cell of a colour button and of every swatch: it shows its colour as a
// 44 x 44 image, over black and white halves so that a translucent colour
// shows as such. Without a colour (an invalid one) the cell is disabled
// and shows the disabled text colour.
//
// The cell is an on/off cell: the active colour button and the chosen swatch
// are the ones whose state is on, and they show the skin's selected look.
class KZColorButtonCell : public KZTexturalButtonCell {
public:
    static constexpr int kImageSide = 44;
    static QString defaultIdentifier() { return QStringLiteral("btn_color"); }
    // What a cell without a colour shows (a quarter-opaque black, as
    // disabled text is drawn).
    static QColor disabledControlTextColor() { return QColor(0, 0, 0, 64); }

    KZColorButtonCell();

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    // Ignored: the cell's image is its colour, in every state.
    void setAlternateImage(const QImage& image) override;

    static QImage colorImage(const QColor& color);
    static void drawColorBackgroundInBounds(QPainter& painter, const QRectF& bounds);

    // The bezel, then the colour image.
    void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override;

private:
    static QImage drawnColorImage(const QColor& color);
    QColor m_color;
};
