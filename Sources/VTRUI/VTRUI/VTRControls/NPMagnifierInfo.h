#pragma once

#include <QColor>
#include <QImage>

// What the magnifier shows: the pixels the owner captured around the pointer
// (one image pixel per magnified cell), the colour under the pointer and the
// owner's zoom (> 0). Made only with all three.
class NPMagnifierInfo {
public:
    NPMagnifierInfo() = delete;
    NPMagnifierInfo(const QImage& image, const QColor& color, double zoomFactor)
        : m_image(image), m_color(color), m_zoomFactor(zoomFactor)
    {
    }

    const QImage& image() const { return m_image; }
    void setImage(const QImage& image) { m_image = image; }
    const QColor& color() const { return m_color; }
    void setColor(const QColor& color) { m_color = color; }
    double zoomFactor() const { return m_zoomFactor; }
    void setZoomFactor(double zoomFactor) { m_zoomFactor = zoomFactor; }

private:
    QImage m_image;
    QColor m_color;
    double m_zoomFactor;
};
