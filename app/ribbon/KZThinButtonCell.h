#pragma once

#include "KZTexturalButtonCell.h"

// The cell of the ribbon's tall buttons: the title sits at a fixed height
// below the image, and the image may be pinned at a height of its own.
class KZThinButtonCell : public KZTexturalButtonCell {
public:
    static constexpr double kDefaultTextVerticalPosition = 41.0;
    // Leaves the image where the base cell puts it.
    static constexpr double kImageWhereBasePutsIt = -1.0;

    KZThinButtonCell();

    void postInit();

    double textVerticalPosition() const { return m_textVerticalPosition; }
    void setTextVerticalPosition(double y) { m_textVerticalPosition = y; }
    double imageVerticalPosition() const { return m_imageVerticalPosition; }
    void setImageVerticalPosition(double y) { m_imageVerticalPosition = y; }

    QRectF titleRectForBounds(const QRectF& bounds, QWidget* view) const override;
    void drawImage(QPainter& painter, const QImage& image, const QRectF& frame, QWidget* view) override;

private:
    double m_textVerticalPosition = kDefaultTextVerticalPosition;
    double m_imageVerticalPosition = kImageWhereBasePutsIt;
};
