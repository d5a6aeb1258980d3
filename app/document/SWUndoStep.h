#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <vector>

// The picture one undo step brings back, kept as square tiles: only the
// tiles where it differs from the picture it will be applied to, or every
// tile when the canvas size changed in between (a whole step). A tile of one
// colour keeps one pixel; others are deflated when that saves at least an
// eighth, else kept raw.
//
// A step is built once (begin, addTile..., finish) by the undo recorder and
// then only applied.
class SWUndoStep {
public:
    static constexpr int TileSide = 64;

    // The canvas size it restores; empty while it is not complete.
    QSize size() const { return m_size; }
    bool isComplete() const { return m_complete; }
    bool isWhole() const { return m_whole; }
    int tileCount() const { return int(m_tiles.size()); }
    // What the step keeps in memory.
    std::size_t byteSize() const;

    void begin(QSize size, bool whole);
    // The tile at column tx, row ty of the grid, taken from a band of rows
    // that starts at the tile row's top (rowBytes apart, canvas pixels).
    bool addTile(int tx, int ty, const uchar* band, std::size_t rowBytes);
    void finish();

    // Writes the tiles into target, which must have size(). False (nothing
    // written) otherwise or when the step is not complete.
    bool apply(QImage& target) const;

private:
    enum class Encoding : std::uint8_t { Uniform, Deflated, Raw };
    struct Tile {
        std::uint16_t tx;
        std::uint16_t ty;
        Encoding encoding;
        std::vector<uchar> bytes;
    };

    QSize m_size;
    bool m_whole = false;
    bool m_complete = false;
    std::vector<Tile> m_tiles;
};
