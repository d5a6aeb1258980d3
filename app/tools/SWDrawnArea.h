#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>

// What a tool has drawn on a bitmap (the image store's buffer) since it last
// cleared it. As long as nothing else has changed the bitmap since (told by
// the image's cache key, which every write changes), everything outside the
// recorded area is known to be transparent, so clearing or compositing the
// bitmap needs to touch that area only. Otherwise the whole bitmap counts.
class SWDrawnArea {
public:
    // Clears the bitmap: the recorded area, or all of it when the bitmap was
    // changed behind this record. Afterwards the record knows it is clear.
    void clear(QImage& image);
    // Records that a rectangle (canvas pixels, grown to whole pixels) was
    // drawn on the bitmap just now. The caller draws within the same call as
    // its clear() (or an earlier add()), so nothing else can have written in
    // between; the record then takes the bitmap's new key.
    void add(QImage& image, const QRectF& rect);
    // Composites the bitmap into a target with source-over, touching only the
    // recorded area when the record holds.
    void compositeInto(QImage& target, const QImage& image) const;
    // What compositeInto() may change in a target.
    QRect compositeArea(const QImage& image) const;

    // Whether the bitmap is as this record last left it.
    bool holds(const QImage& image) const;
    // The recorded area, in whole pixels (empty when nothing is drawn).
    QRect area() const { return m_area; }
    void forget();

private:
    const QImage* m_image = nullptr;
    qint64 m_key = 0;
    QSize m_size;
    QRect m_area;
};
