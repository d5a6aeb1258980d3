#pragma once

#include "VTRImage.h"

#include <QImage>

class QPainter;

// Turns an image into a silhouette of one grey level: the image's alpha is
// kept, every visible pixel becomes the grey (scaled by its alpha).
class ColoringUtil {
public:
    ColoringUtil() = delete;

    // Grey level 0 (black) .. 255 (white), clamped. The context only decides
    // the pixel ratio a drawn image is rendered at. A null result when the
    // image gives no bitmap or memory runs out, logged.
    static QImage generateColoringImage(const VTRImage& image, const QPainter* context, int grayScale);
};
