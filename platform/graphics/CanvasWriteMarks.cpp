#include "CanvasWriteMarks.h"

#include <algorithm>

namespace platform {

void CanvasWriteMarks::clear(const QImage& image)
{
    m_size = image.isNull() ? QSize() : image.size();
    m_columns = m_size.isEmpty() ? 0 : (m_size.width() + TileSide - 1) / TileSide;
    m_rows = m_size.isEmpty() ? 0 : (m_size.height() + TileSide - 1) / TileSide;
    m_marked.assign(std::size_t(m_columns) * std::size_t(m_rows), 0);
    m_tiles.clear();
    m_key = image.cacheKey();
    m_accounting = true;
}

void CanvasWriteMarks::willWrite(const QImage& image)
{
    if (image.cacheKey() != m_key || image.size() != m_size)
        m_accounting = false;
}

void CanvasWriteMarks::didWrite(const QImage& image, const QRect& area)
{
    if (image.size() != m_size) {
        // Replaced by a bitmap of another size: all of it is new.
        const bool accounting = m_accounting;
        clear(image);
        m_accounting = accounting;
        mark(QRect(QPoint(0, 0), m_size));
        return;
    }
    mark(area);
    m_key = image.cacheKey();
}

void CanvasWriteMarks::mark(const QRect& area)
{
    const QRect r = area.intersected(QRect(QPoint(0, 0), m_size));
    if (r.isEmpty())
        return;
    for (int ty = r.top() / TileSide; ty <= r.bottom() / TileSide; ++ty) {
        std::uint8_t* row = m_marked.data() + std::size_t(ty) * std::size_t(m_columns);
        for (int tx = r.left() / TileSide; tx <= r.right() / TileSide; ++tx) {
            if (row[tx])
                continue;
            row[tx] = 1;
            m_tiles.emplace_back(tx, ty);
        }
    }
}

bool CanvasWriteMarks::accountFor(const QImage& image) const
{
    return m_accounting && image.cacheKey() == m_key && image.size() == m_size;
}

bool CanvasWriteMarks::isMarked(int tx, int ty) const
{
    if (tx < 0 || ty < 0 || tx >= m_columns || ty >= m_rows)
        return false;
    return m_marked[std::size_t(ty) * std::size_t(m_columns) + std::size_t(tx)] != 0;
}

} // namespace platform
