#pragma once

#include "platform/graphics/CanvasWrite.h"
#include "platform/graphics/CanvasWriteMarks.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QMimeData;
class QPainter;

// The image store of one document: the picture (main image), the
// transparent preview layer tools draw into while the mouse is down (buffer
// image), the canvas size, the background colour, the buffer gutter and the
// pixels-per-point ratio of a picture that was read.
//
// Both bitmaps are canvas bitmaps (platform::CanvasBitmap: top-down,
// RGBA8888 premultiplied) of the canvas size; coordinates are canvas pixels,
// origin top-left, y down. mainImage() and bufferImage() are references to
// the store's own QImage objects: resize and rotate replace their contents,
// so take the reference again after those rather than keeping a copy.
//
// Operations that allocate report failure (false, null or nullptr) and
// leave the store as it was when the memory cannot be had.
class SWImageDataSource {
public:
    // A drawing extension rendered after the buffer image.
    class Editor {
    public:
        virtual ~Editor() = default;
        virtual void renderToContext(QPainter& painter, const QRectF& frame) = 0;
    };

    // No bitmaps yet, pixels-per-point 0.
    SWImageDataSource();
    ~SWImageDataSource();
    SWImageDataSource(const SWImageDataSource&) = delete;
    SWImageDataSource& operator=(const SWImageDataSource&) = delete;

    // A blank canvas: the main image opaque in the background colour, the
    // buffer transparent. Null when the bitmaps cannot be allocated.
    static std::unique_ptr<SWImageDataSource> create(const QSizeF& size, const QColor& backgroundColor);
    // A picture read from a file. Null when nothing decodes; error (when
    // given) then says why.
    static std::unique_ptr<SWImageDataSource> fromFile(const QString& path, const QColor& backgroundColor,
                                                       QString* error = nullptr);
    // A picture read from the clipboard (or any mime data). Null when it
    // holds no picture.
    static std::unique_ptr<SWImageDataSource> fromPasteboard(const QMimeData* pasteboard,
                                                             const QColor& backgroundColor);

    // The common set-up of a blank canvas, on this object.
    bool customInit(const QSizeF& size, const QColor& backgroundColor);
    // Sets this same store up again from a file; unchanged when nothing decodes.
    bool readFromFile(const QString& path, const QColor& backgroundColor, QString* error = nullptr);
    // The same from the clipboard.
    bool readFromPasteboard(const QMimeData* pasteboard, const QColor& backgroundColor);
    // A canvas of the size of a picture still being decoded, until
    // setUpWithImage() brings its pixels: both bitmaps transparent and
    // untouched, so that they cost no memory beside the decoder's. False
    // (the store unchanged) when the memory cannot be had.
    bool awaitPicture(const QSize& size, const QColor& backgroundColor);
    // The same from a decoded picture: the canvas takes its size and pixels
    // (transparent pixels stay transparent) and the given ratio.
    bool setUpWithImage(const QImage& picture, double pixelPerPoint, const QColor& backgroundColor);

    // ---- Picture operations ----

    // A new canvas size. scaleImage: the picture is stretched by pixel
    // repetition; otherwise it keeps its pixels at the top-left and new area
    // takes the background colour. The buffer starts transparent. The same
    // size does nothing (the buffer keeps its content).
    bool resizeToSize(const QSizeF& size, bool scaleImage);
    // A quarter turn of both bitmaps; width and height swap.
    bool rotate(bool clockwise);
    // A copy of the main image for an undo step, not shared with the store.
    // Null when there is no main image or no memory for the copy.
    QImage copyMainImageData() const;
    // Copies a picture into the main image at (0, 0), replacing pixels. It
    // does not resize the canvas: the caller resizes first. Null does nothing.
    void restoreMainImageFromData(const QImage& data);
    // Copies a picture into the buffer at (0, 0); a larger picture first
    // grows the buffer (cleared) to cover both. Null does nothing.
    bool restoreBufferImageFromData(const QImage& data);
    // Draws the main image clipped to the drawable rectangle, the buffer
    // over it clipped to the drawable rectangle grown by the gutter, then
    // the editors. frame: the part that needs drawing, in canvas pixels.
    void renderToContext(QPainter& painter, const QRectF& frame) const;

    // ---- Editors (newest first) ----

    void pushEditor(const std::shared_ptr<Editor>& editor);
    void removeEditor(const std::shared_ptr<Editor>& editor);
    std::vector<std::shared_ptr<Editor>> editors() const { return m_editors; }

    // ---- Accessors ----

    // Sets the canvas size and the drawable rectangle; the bitmaps stay.
    void saveSize(const QSizeF& size);
    // For drawing into the main image, take it through writeMainImage():
    // writes the marks do not learn of cost the undo history a look at the
    // pixels.
    QImage& mainImage() { return m_mainImage; }
    const QImage& mainImage() const { return m_mainImage; }
    // Where the main image was written since the undo history last looked.
    platform::CanvasWriteMarks& mainImageMarks() { return m_mainMarks; }
    // A write to the main image within area (canvas pixels, grown to whole
    // pixels; add to it while drawing when it is known only then). Keep it
    // for the length of the write, and take the image from it.
    platform::CanvasWrite writeMainImage(const QRectF& area = QRectF())
    {
        return platform::CanvasWrite(&m_mainMarks, m_mainImage, area.toAlignedRect());
    }
    QImage& bufferImage() { return m_bufferImage; }
    const QImage& bufferImage() const { return m_bufferImage; }
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color) { m_backgroundColor = color; }
    QRectF drawableRect() const { return m_drawableRect; }
    QSizeF canvasSize() const { return m_canvasSize; }
    QSizeF bufferGutterSize() const { return m_bufferGutterSize; }
    void setBufferGutterSize(const QSizeF& size) { m_bufferGutterSize = size; }
    // Type 2 (a vector tool is current): 4 x 4; any other type: none.
    void setBufferGutterSizeWithType(int type);
    // The drawable rectangle, grown by the gutter on every side when asked.
    QRectF drawableRectForBufferImage(bool withGutter) const;
    // Pixel width over point width of the picture read; 0 for a blank canvas.
    double pixelPerPoint() const { return m_pixelPerPoint; }
    void setPixelPerPoint(double ratio) { m_pixelPerPoint = ratio; }

private:
    // Every replacement of the main image goes through here, so the marks
    // see it.
    void replaceMainImage(const QImage& image);

    QImage m_mainImage;
    platform::CanvasWriteMarks m_mainMarks;
    QSizeF m_canvasSize;
    QImage m_bufferImage;
    QRectF m_drawableRect;
    std::vector<std::shared_ptr<Editor>> m_editors;
    QColor m_backgroundColor;
    QSizeF m_bufferGutterSize;
    double m_pixelPerPoint = 0;
};
