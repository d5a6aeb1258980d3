#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QPainter;

// A picture of a size in points, held by reference like the platform's image
// objects: copies share one image, and a null VTRImage stands for "no image".
// It is a bitmap, or a drawing handler that draws it afresh each time it is
// rendered (so colours chosen inside follow the appearance of that moment).
// A template image carries its shape in its alpha channel only.
class VTRImage {
public:
    // Draws into rect, the whole image in the image's own coordinates
    // (origin top-left, one unit per point), with the painter of the moment.
    using DrawingHandler = std::function<bool(QPainter& painter, const QRectF& rect)>;

    VTRImage() = default;
    // A bitmap; its size in points is its pixel size over its pixel ratio.
    explicit VTRImage(const QImage& bitmap);
    VTRImage(const QSizeF& size, DrawingHandler handler);

    // The image of that name among the program's resources (images/<name>.png),
    // or a null image. Names ending in "Template" are template images.
    static VTRImage named(const QString& name);

    bool isNull() const { return !d; }
    explicit operator bool() const { return bool(d); }
    // The same image, not an equal one.
    bool operator==(const VTRImage& other) const { return d == other.d; }

    QSizeF size() const;
    QString name() const;
    bool isTemplate() const;
    void setTemplate(bool isTemplate);
    // Short text naming the image's kind, size and flag, for log lines.
    QString description() const;

    // Draws the whole image stretched into rect.
    void draw(QPainter& painter, const QRectF& rect) const;
    // The image as a bitmap (RGBA, premultiplied) at the pixel ratio of the
    // painter's device (1 without a painter); null when it has no size.
    QImage cgImage(const QPainter* context = nullptr) const;

private:
    struct Data {
        QSizeF size;
        QImage bitmap;
        DrawingHandler handler;
        QString name;
        bool isTemplate = false;
    };
    std::shared_ptr<Data> d;
};
