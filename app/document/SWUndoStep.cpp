#include "SWUndoStep.h"

#include "platform/graphics/CanvasBitmap.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int Side = SWUndoStep::TileSide;
constexpr std::size_t TileBytes = std::size_t(Side) * Side * 4;

// One deflate and one inflate stream, reset for every tile: setting a stream
// up costs more than deflating a small tile.
struct Codec {
    z_stream deflater{};
    z_stream inflater{};
    bool deflaterReady = false;
    bool inflaterReady = false;
    Codec()
    {
        // The fastest level with run-length matching: a painting's tiles
        // are mostly runs, and steps are made while the user waits.
        deflaterReady = deflateInit2(&deflater, 1, Z_DEFLATED, 15, 8, Z_RLE) == Z_OK;
        inflaterReady = inflateInit(&inflater) == Z_OK;
    }
    ~Codec()
    {
        if (deflaterReady)
            deflateEnd(&deflater);
        if (inflaterReady)
            inflateEnd(&inflater);
    }

    // The deflated bytes when they take at most `limit`; empty otherwise.
    std::vector<uchar> deflate(const uchar* data, std::size_t size, std::size_t limit)
    {
        if (!deflaterReady || deflateReset(&deflater) != Z_OK)
            return {};
        std::vector<uchar> out(limit);
        deflater.next_in = const_cast<uchar*>(data);
        deflater.avail_in = uInt(size);
        deflater.next_out = out.data();
        deflater.avail_out = uInt(out.size());
        if (::deflate(&deflater, Z_FINISH) != Z_STREAM_END)
            return {};
        out.resize(out.size() - deflater.avail_out);
        out.shrink_to_fit();
        return out;
    }

    bool inflate(const std::vector<uchar>& data, uchar* into, std::size_t size)
    {
        if (!inflaterReady || inflateReset(&inflater) != Z_OK)
            return false;
        inflater.next_in = const_cast<uchar*>(data.data());
        inflater.avail_in = uInt(data.size());
        inflater.next_out = into;
        inflater.avail_out = uInt(size);
        return ::inflate(&inflater, Z_FINISH) == Z_STREAM_END && inflater.avail_out == 0;
    }
};

Codec& codec()
{
    thread_local Codec instance;
    return instance;
}

} // namespace

std::size_t SWUndoStep::byteSize() const
{
    std::size_t total = sizeof(*this) + m_tiles.capacity() * sizeof(Tile);
    for (const Tile& tile : m_tiles)
        total += tile.bytes.capacity();
    return total;
}

void SWUndoStep::begin(QSize size, bool whole)
{
    m_size = size;
    m_whole = whole;
    m_complete = false;
    m_compressed = true;
    m_tiles.clear();
    m_columns = size.isEmpty() ? 0 : (size.width() + Side - 1) / Side;
    const int rows = size.isEmpty() ? 0 : (size.height() + Side - 1) / Side;
    m_held.assign(std::size_t(m_columns) * std::size_t(rows), false);
}

bool SWUndoStep::hasTile(int tx, int ty) const
{
    if (tx < 0 || ty < 0 || tx >= m_columns)
        return false;
    const std::size_t at = std::size_t(ty) * std::size_t(m_columns) + std::size_t(tx);
    if (at < m_held.size())
        return m_held[at];
    return std::any_of(m_tiles.begin(), m_tiles.end(), [&](const Tile& t) { return t.tx == tx && t.ty == ty; });
}

std::vector<std::pair<int, int>> SWUndoStep::tilePositions() const
{
    std::vector<std::pair<int, int>> positions;
    positions.reserve(m_tiles.size());
    for (const Tile& tile : m_tiles)
        positions.emplace_back(tile.tx, tile.ty);
    return positions;
}

bool SWUndoStep::addTile(int tx, int ty, const uchar* band, std::size_t rowBytes)
{
    const int x0 = tx * Side;
    const int y0 = ty * Side;
    if (tx < 0 || ty < 0 || x0 >= m_size.width() || y0 >= m_size.height())
        return false;
    const std::size_t held = std::size_t(ty) * std::size_t(m_columns) + std::size_t(tx);
    if (held < m_held.size()) {
        if (m_held[held])
            return true;
        m_held[held] = true;
    }
    const int w = std::min(Side, m_size.width() - x0);
    const int h = std::min(Side, m_size.height() - y0);
    const std::size_t tileRow = std::size_t(w) * 4;

    Tile tile{std::uint16_t(tx), std::uint16_t(ty), Encoding::Uniform, {}};
    const uchar* first = band + std::size_t(x0) * 4;
    std::uint32_t word;
    std::memcpy(&word, first, 4);
    bool uniform = true;
    for (int y = 0; y < h && uniform; ++y) {
        const uchar* row = first + std::size_t(y) * rowBytes;
        // One colour when the row's first pixel is the tile's and every
        // pixel equals the one before it.
        uniform = std::memcmp(row, first, 4) == 0 && std::memcmp(row, row + 4, tileRow - 4) == 0;
    }
    if (uniform) {
        tile.bytes.assign(first, first + 4);
    } else {
        // Kept raw for now: deflating costs more than the whole step else
        // does, and compress() does it once the user is not waiting.
        tile.encoding = Encoding::Raw;
        // Row by row onto the end: no zeroing first of what is then copied.
        tile.bytes.reserve(tileRow * std::size_t(h));
        for (int y = 0; y < h; ++y) {
            const uchar* row = first + std::size_t(y) * rowBytes;
            tile.bytes.insert(tile.bytes.end(), row, row + tileRow);
        }
        m_compressed = false;
    }
    m_tiles.push_back(std::move(tile));
    return true;
}

void SWUndoStep::compress()
{
    if (m_compressed)
        return;
    for (Tile& tile : m_tiles) {
        if (tile.encoding != Encoding::Raw)
            continue;
        const std::size_t raw = tile.bytes.size();
        std::vector<uchar> deflated = codec().deflate(tile.bytes.data(), raw, raw - raw / 8);
        if (!deflated.empty()) {
            tile.bytes = std::move(deflated);
            tile.encoding = Encoding::Deflated;
        }
    }
    m_compressed = true;
}

void SWUndoStep::finish()
{
    m_tiles.shrink_to_fit();
    m_held = {};
    m_complete = true;
}

bool SWUndoStep::apply(QImage& target) const
{
    if (!m_complete || target.size() != m_size || target.format() != platform::CanvasBitmap::Format)
        return false;
    return apply(target.bits(), std::size_t(target.bytesPerLine()));
}

bool SWUndoStep::apply(uchar* bits, std::size_t stride) const
{
    if (!m_complete || !bits)
        return false;
    uchar scratch[TileBytes];
    for (const Tile& tile : m_tiles) {
        const int x0 = tile.tx * Side;
        const int y0 = tile.ty * Side;
        const int w = std::min(Side, m_size.width() - x0);
        const int h = std::min(Side, m_size.height() - y0);
        const std::size_t tileRow = std::size_t(w) * 4;
        uchar* top = bits + std::size_t(y0) * stride + std::size_t(x0) * 4;
        const uchar* source = tile.bytes.data();
        if (tile.encoding == Encoding::Uniform) {
            for (int x = 0; x < w; ++x)
                std::memcpy(scratch + std::size_t(x) * 4, source, 4);
            for (int y = 0; y < h; ++y)
                std::memcpy(top + std::size_t(y) * stride, scratch, tileRow);
            continue;
        }
        if (tile.encoding == Encoding::Deflated) {
            if (!codec().inflate(tile.bytes, scratch, tileRow * std::size_t(h)))
                continue; // cannot happen for bytes we deflated; the tile keeps its pixels
            source = scratch;
        }
        for (int y = 0; y < h; ++y)
            std::memcpy(top + std::size_t(y) * stride, source + std::size_t(y) * tileRow, tileRow);
    }
    return true;
}
