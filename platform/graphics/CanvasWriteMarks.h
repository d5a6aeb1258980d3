#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

namespace platform {

// Where a canvas bitmap was written since the marks were last cleared, in
// square tiles, and whether every write since went through them.
//
// A writer says what it is about to do (willWrite) and, once done, which
// rectangle it wrote (didWrite). The marks then hold the bitmap's cache key
// from that moment: a write that bypassed them changes the key, and from
// then on the marks say they do not account for the bitmap, so whoever
// relies on them learns that it cannot and looks at the pixels instead.
// What they cannot catch is a writer that wrote outside the rectangle it
// named; tests compare the marks with what actually changed for that.
class CanvasWriteMarks {
public:
    static constexpr int TileSide = 64;

    // Starts over for image as it is now: nothing marked, every write so
    // far accounted for.
    void clear(const QImage& image);
    // Before a write to image: if image was written since the marks last
    // saw it, they no longer account for it (until clear()).
    void willWrite(const QImage& image);
    // After a write to image within area (pixels; clipped to the bitmap).
    // A bitmap that now has another size is marked whole.
    void didWrite(const QImage& image, const QRect& area);
    // Marks a rectangle without a write of one's own (pixels, clipped).
    void mark(const QRect& area);

    // Whether every change of image since clear() went through the marks.
    bool accountFor(const QImage& image) const;
    // The bitmap size the marks were cleared for.
    QSize size() const { return m_size; }
    bool isMarked(int tx, int ty) const;
    // Marked tiles as column and row, in the order they were first marked.
    const std::vector<std::pair<int, int>>& tiles() const { return m_tiles; }

private:
    QSize m_size;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<std::uint8_t> m_marked; // by tile, row by row
    std::vector<std::pair<int, int>> m_tiles;
    qint64 m_key = 0;
    bool m_accounting = false;
};

} // namespace platform
