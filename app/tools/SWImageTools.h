#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

class QMimeData;

// Operations on whole canvas bitmaps, shared by the image store, the
// document, the tools and the selections. A canvas bitmap is a top-down
// QImage in platform::CanvasBitmap::Format (bytes R, G, B, A, premultiplied);
// coordinates are canvas pixels, origin top-left, y down.
//
// Operations that take a bitmap to change work on it in place and accept
// other formats by converting it first; a null bitmap is left alone.
// Operations that return a bitmap return a null QImage when the memory for
// it cannot be had: check isNull().
class SWImageTools {
public:
    SWImageTools() = delete;

    // ---- Making and clearing ----

    // A transparent canvas bitmap; fractions of the size are cut off.
    static QImage initImageRep(const QSizeF& size);
    static void clearImage(QImage& image);
    // Clears the pixels whose centres lie in the rectangle.
    static void clearImage(QImage& image, const QRectF& rect);

    // ---- Compositing ----
    // composite true: source-over; false: copy (the target's pixels,
    // alpha included, are replaced). One source pixel to one target pixel;
    // a fractional point is rounded to the nearest pixel.

    static void drawToImage(QImage& target, const QImage& source, bool composite);
    static void drawToImage(QImage& target, const QImage& source, const QPointF& point, bool composite);
    // A canvas bitmap of the same size and pixels, not shared with the source.
    static QImage cloneImage(const QImage& image);

    // ---- Whole-picture operations ----

    static void flipImageHorizontal(QImage& image); // x becomes width - 1 - x
    static void flipImageVertical(QImage& image);   // y becomes height - 1 - y
    // Straight colour inverted, alpha kept (platform::ColorInvert).
    static bool invertImage(QImage& image);
    // A quarter turn: clockwise moves the top-left pixel to the top-right.
    static QImage rotatedImage(const QImage& image, bool clockwise);

    // ---- Conversions and the clipboard ----

    // The canvas bitmap of any image, at its pixel size.
    static QImage bitmapRepOfImage(const QImage& image);
    // The picture on a clipboard or in a drop: image data of any type Qt
    // decodes, an image object, or a local image file's URL. Null when there
    // is none. pixelPerPoint (when given) receives its resolution ratio.
    static QImage readImageFromPasteboard(const QMimeData* pasteboard, double* pixelPerPoint = nullptr);
    // The same as a canvas bitmap.
    static QImage bitmapImageWithPasteboard(const QMimeData* pasteboard, double* pixelPerPoint = nullptr);

    // ---- Cropping and transparency ----

    // The pixels of a rectangle, in a bitmap of its size (fractions cut off);
    // transparent where the rectangle reaches past the source.
    static QImage cropImage(const QImage& image, const QRectF& rect);
    // The pixels inside a path (its own fill rule, no anti-aliasing), in a
    // bitmap of the path's bounds. Null for a path with empty bounds.
    static QImage cropImage(const QImage& image, const QPainterPath& path);
    // Makes every pixel equal to the colour fully transparent; with a
    // colour of alpha 0, every pixel of alpha 0 becomes all zero as well.
    static void stripImage(QImage& image, const QColor& color);
    // Punches a selection out of a bitmap: every pixel under a
    // non-transparent pixel of the selection, placed with its top-left at
    // the point (cut toward zero), takes the colour. Only the part of the
    // selection that lies on the bitmap changes anything.
    static void subtractSelection(QImage& image, const QImage& selection, const QPointF& point,
                                  const QColor& transparentColor);

    // ---- Colours and names ----

    // Equal when red, green, blue and alpha, each scaled by 255 and
    // rounded, are equal. Invalid colours equal nothing.
    static bool colorIsEqualToColor(const QColor& a, const QColor& b);
    // The straight colour of the pixel under a canvas point (the pixel at
    // floor(x), floor(y)); none outside the bitmap. The fill tool asks it
    // for the clicked pixel, the same pixel SWSelectionBuilder seeds from.
    static std::optional<QColor> colorAtPoint(const QImage& image, const QPointF& point);
    // "PNG" -> "png", "TIFF" -> "tif", "JPEG" -> "jpg"; any 3-letter name
    // lower-cased; anything else "".
    static QString convertFileType(const QString& type);
    // One bit a pixel (QImage::Format_Mono, index 1 white): 1 where the
    // luminance of the stored samples is 128 or more.
    static QImage createMonochromeImage(const QImage& image);
};
