#pragma once

#include "CanvasWriteMarks.h"

#include <QImage>
#include <QRect>
#include <QRectF>

namespace platform {

// One write to a canvas bitmap that its write marks learn about: made
// before the first pixel changes, gone once the last has. The area is
// what may change, in pixels; a writer that learns it while drawing adds
// to it. Without marks (a bitmap nobody tracks) it only hands the bitmap
// on.
class CanvasWrite {
public:
    CanvasWrite(CanvasWriteMarks* marks, QImage& image, const QRect& area = QRect())
        : m_marks(marks)
        , m_image(image)
        , m_area(area)
    {
        if (m_marks)
            m_marks->willWrite(m_image);
    }
    ~CanvasWrite()
    {
        if (m_marks)
            m_marks->didWrite(m_image, m_area);
    }
    CanvasWrite(const CanvasWrite&) = delete;
    CanvasWrite& operator=(const CanvasWrite&) = delete;

    QImage& image() { return m_image; }
    void add(const QRect& area) { m_area |= area; }
    // Grown to whole pixels.
    void add(const QRectF& area) { m_area |= area.toAlignedRect(); }
    // The whole bitmap.
    void addAll() { m_area = m_image.rect(); }

private:
    CanvasWriteMarks* m_marks;
    QImage& m_image;
    QRect m_area;
};

} // namespace platform
