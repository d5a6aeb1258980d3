#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// The picture one undo step brings back, kept as square tiles: only the
// tiles where it differs from the picture it will be applied to, or every
// tile when the canvas size changed in between (a whole step). A tile of one
// colour keeps one pixel; others are kept raw until compress(), which
// deflates those where that saves at least an eighth.
//
// A step is built once (begin, addTile..., finish) by the undo recorder and
// then only applied. A tile is kept once: the first picture given for it is
// the one the step restores.
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
    // Makes an open step a whole one (the canvas size changed).
    void setWhole() { m_whole = true; }
    // The tile at column tx, row ty of the grid, taken from a band of rows
    // that starts at the tile row's top (rowBytes apart, canvas pixels).
    // A tile the step already holds keeps its pixels (true).
    bool addTile(int tx, int ty, const uchar* band, std::size_t rowBytes);
    bool hasTile(int tx, int ty) const;
    void finish();
    // Deflates the raw tiles (once; later calls do nothing). Takes far longer
    // than making the step, so it runs when nobody waits for it.
    void compress();
    bool isCompressed() const { return m_compressed; }

    // Column and row of every tile held, in the order they were added.
    std::vector<std::pair<int, int>> tilePositions() const;

    // Writes the tiles into target, which must have size(). False (nothing
    // written) otherwise or when the step is not complete.
    bool apply(QImage& target) const;
    // The same into canvas pixels of size() at bits, rowBytes apart.
    bool apply(uchar* bits, std::size_t rowBytes) const;

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
    bool m_compressed = true;
    std::vector<Tile> m_tiles;
    int m_columns = 0;
    std::vector<bool> m_held; // by tile, row by row, while the step is open
};
