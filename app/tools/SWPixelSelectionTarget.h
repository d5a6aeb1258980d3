#pragma once

#include <QImage>
#include <QPointF>

class SWImageDataSource;

// What a pixel-selection tool offers the document's paste and selection
// commands: a pasted picture floats as its selection, Select All lifts the
// whole canvas, Invert Selection turns its selection inside out. The tool
// class derives from this besides SWTool.
class SWPixelSelectionTarget {
public:
    virtual ~SWPixelSelectionTarget() = default;

    virtual void setImageDataSource(SWImageDataSource* dataSource) = 0;
    // The picture becomes the floating selection (not yet placed).
    virtual void setSelectedImage(const QImage& image) = 0;
    // Centres the selection's element at a canvas point.
    virtual void setPosition(const QPointF& centre) = 0;
    virtual void selectAll() = 0;
    virtual void selectInvert() = 0;
    // Whether a selection holds pixels.
    virtual bool hasSelectedImage() const = 0;
};
