#pragma once

#include "KZGraphicElement.h"

#include <QImage>

#include <memory>

// An element holding pixels: a lifted selection or a pasted picture. Its
// origin size is the image's pixel size.
class KZBitmapImage : public KZGraphicElement {
public:
    KZBitmapImage() = default;
    // A new element in the reset state holding the image; the caller places it.
    static std::shared_ptr<KZBitmapImage> bitmapWithImage(const QImage& image);

    QSizeF originSize() const override { return QSizeF(m_image.size()); }

    const QImage& image() const { return m_image; }
    void setImage(const QImage& image) { m_image = image; }

private:
    QImage m_image;
};
