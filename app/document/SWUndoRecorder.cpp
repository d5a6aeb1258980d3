#include "SWUndoRecorder.h"

#include "platform/foundation/SystemLog.h"
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasCheckpoint.h"
#include "platform/graphics/CanvasWriteMarks.h"

#include <algorithm>
#include <cstring>

using platform::CanvasCheckpoint;
using platform::CanvasWriteMarks;

namespace {
constexpr int Side = SWUndoStep::TileSide;
constexpr std::size_t TileRowBytes = std::size_t(Side) * 4;
static_assert(CanvasWriteMarks::TileSide == Side, "write marks and undo steps share one tile grid");

using Tile = std::pair<int, int>;

QRect tileRect(const Tile& tile, QSize size)
{
    return QRect(tile.first * Side, tile.second * Side, Side, Side).intersected(QRect(QPoint(0, 0), size));
}

std::vector<QRect> tileRects(const std::vector<Tile>& tiles, QSize size)
{
    std::vector<QRect> rects;
    rects.reserve(tiles.size());
    for (const Tile& tile : tiles)
        rects.push_back(tileRect(tile, size));
    return rects;
}

// Whether live differs from the kept pixels (rowBytes apart) inside r.
bool differs(const QImage& live, const uchar* kept, std::size_t rowBytes, const QRect& r)
{
    const std::size_t offset = std::size_t(r.left()) * 4;
    const std::size_t bytes = std::size_t(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (std::memcmp(live.constScanLine(y) + offset, kept + std::size_t(y) * rowBytes + offset, bytes) != 0)
            return true;
    }
    return false;
}
} // namespace

SWUndoRecorder::SWUndoRecorder() = default;
SWUndoRecorder::~SWUndoRecorder() = default;

std::shared_ptr<SWUndoStep> SWUndoRecorder::beginStep(QImage& live, CanvasWriteMarks* marks)
{
    if (m_open && m_caughtUpKey != 0 && live.cacheKey() == m_caughtUpKey) {
        // live was not opened for writing since the checkpoint caught up:
        // nothing can differ, and the open step holds all it needs.
        m_open->finish();
    } else if (m_open) {
        catchUp(live, m_open.get(), marks);
        m_open->finish();
    } else {
        catchUp(live, nullptr, marks);
    }
    if (marks)
        marks->clear(live);
    if (m_open && !m_open->isCompressed())
        m_uncompressed.push_back(m_open);
    m_open = std::make_shared<SWUndoStep>();
    m_open->begin(m_checkpoint ? m_checkpoint->size() : live.size(), false);
    if (!m_checkpoint && !live.isNull())
        platform::nsLog(QStringLiteral("SWUndoRecorder: no memory to keep the picture for undo; the step will restore nothing"));
    return m_open;
}

bool SWUndoRecorder::apply(const SWUndoStep& step, QImage& live, CanvasWriteMarks* marks)
{
    if (!step.isComplete() || live.size() != step.size() || !platform::CanvasBitmap::isCanvas(live))
        return false;
    if (m_open && m_checkpoint && m_checkpoint->isCopy() && m_open->size() == step.size()
        && m_checkpoint->size() == step.size()) {
        if (live.cacheKey() != m_caughtUpKey) {
            catchUp(live, m_open.get(), marks);
            if (marks)
                marks->clear(live);
        }
        if (live.cacheKey() != m_caughtUpKey)
            return applyToLive(step, live, marks);
        // live equals the copy: the open step takes the tiles from it, and
        // both take the step's, so the next step has nothing to compare.
        const std::size_t rowBytes = m_checkpoint->rowBytes();
        const uchar* kept = m_checkpoint->pixels();
        const std::vector<Tile> tiles = step.tilePositions();
        for (const auto& [tx, ty] : tiles)
            m_open->addTile(tx, ty, kept + std::size_t(ty) * Side * rowBytes, rowBytes);
        const bool applied = step.apply(live);
        for (const QRect& r : tileRects(tiles, step.size()))
            m_checkpoint->updateRect(live, r);
        m_caughtUpKey = live.cacheKey();
        if (marks)
            marks->clear(live);
        return applied;
    }
    if (!m_open || !m_checkpoint || m_open->size() != step.size() || !m_checkpoint->sharesWith(live))
        return applyToLive(step, live, marks);
    // Whatever live took since the checkpoint caught up goes to the open
    // step first: the tiles written below must read as the checkpoint does.
    if (live.cacheKey() != m_caughtUpKey) {
        catchUp(live, m_open.get(), marks);
        if (marks)
            marks->clear(live);
    }
    // Written through the checkpoint only while live shares the pages with
    // it (else live would not see the tiles); otherwise live takes them and
    // the open step finds them by comparison.
    uchar* shared = m_checkpoint && live.cacheKey() == m_caughtUpKey ? m_checkpoint->sharedPixels(live) : nullptr;
    if (!shared || m_open->size() != step.size())
        return applyToLive(step, live, marks);
    const std::vector<Tile> tiles = step.tilePositions();
    const std::vector<CanvasCheckpoint::Range> ranges = m_checkpoint->pageRanges(tileRects(tiles, step.size()));
    // Cheap (the page map of these pages only), and it keeps a drawing path
    // that wrote more than it marked from hiding the restored tiles.
    if (!m_checkpoint->pagesShared(live, ranges))
        return applyToLive(step, live, marks);
    m_checkpoint->prepareView(ranges);
    const std::size_t rowBytes = m_checkpoint->rowBytes();
    for (const auto& [tx, ty] : tiles)
        m_open->addTile(tx, ty, shared + std::size_t(ty) * Side * rowBytes, rowBytes);
    const bool applied = step.apply(shared, rowBytes);
    m_checkpoint->releaseView();
    // live equals the checkpoint again: the open step holds the difference.
    if (marks)
        marks->clear(live);
    return applied;
}

bool SWUndoRecorder::applyToLive(const SWUndoStep& step, QImage& live, CanvasWriteMarks* marks)
{
    if (marks)
        marks->willWrite(live);
    const bool applied = step.apply(live);
    if (marks && applied) {
        for (const Tile& tile : step.tilePositions())
            marks->mark(tileRect(tile, step.size()));
        marks->didWrite(live, QRect());
    }
    return applied;
}

void SWUndoRecorder::compressCompleted()
{
    for (const auto& weak : m_uncompressed) {
        if (const std::shared_ptr<SWUndoStep> step = weak.lock())
            step->compress();
    }
    m_uncompressed.clear();
}

void SWUndoRecorder::reset()
{
    m_open.reset();
    m_checkpoint.reset();
    m_caughtUpKey = 0;
}

void SWUndoRecorder::takeCheckpoint(QImage& live)
{
    m_checkpoint.reset();
    if (live.isNull())
        return;
    m_checkpoint = m_sharing ? CanvasCheckpoint::take(live) : CanvasCheckpoint::takeCopy(live);
}

void SWUndoRecorder::catchUp(QImage& live, SWUndoStep* into, CanvasWriteMarks* marks)
{
    // Set again below only where live then shares every page.
    m_caughtUpKey = 0;
    if (!m_checkpoint) {
        // Nothing was kept (no picture, or no memory then): the step has no
        // picture to give back.
        if (into)
            into->begin(live.size(), false);
        takeCheckpoint(live);
        if (m_checkpoint)
            m_caughtUpKey = live.cacheKey();
        return;
    }
    const QSize size = m_checkpoint->size();
    const std::size_t rowBytes = m_checkpoint->rowBytes();
    const int columns = (size.width() + Side - 1) / Side;
    const int rows = (size.height() + Side - 1) / Side;
    const uchar* kept = m_checkpoint->pixels();
    const auto band = [&](int ty) { return kept + std::size_t(ty) * Side * rowBytes; };
    const bool whole = live.size() != size || !platform::CanvasBitmap::isCanvas(live);
    if (whole) {
        if (into) {
            into->setWhole();
            for (int ty = 0; ty < rows; ++ty)
                for (int tx = 0; tx < columns; ++tx)
                    into->addTile(tx, ty, band(ty), rowBytes);
        }
        takeCheckpoint(live);
        if (m_checkpoint)
            m_caughtUpKey = live.cacheKey();
        return;
    }

    if (marks) {
        // A plain copy takes the marked tiles; a shared checkpoint only from
        // the live picture that shares its pages (a replaced one is compared
        // whole below, which is what lets it share again).
        if (marks->accountFor(live) && (m_checkpoint->isCopy() || m_checkpoint->sharesWith(live))) {
            catchUpMarked(live, into, *marks);
            return;
        }
        if (!marks->accountFor(live)) {
            if (m_unaccountedSteps++ == 0)
                platform::nsLog(QStringLiteral("SWUndoRecorder: the picture was written around its marks; "
                                               "finding the changes from the pixels"));
        }
    }

    const std::size_t lastWidth = std::size_t(size.width() - (columns - 1) * Side) * 4;
    const auto tileBytes = [&](int tx) { return tx == columns - 1 ? lastWidth : TileRowBytes; };

    // Where the live picture shares pages with the checkpoint, only bytes
    // under pages written since can differ: the tiles they reach, row by
    // row, are compared there and nowhere else.
    std::vector<CanvasCheckpoint::Range> ranges;
    if (m_checkpoint->writtenRanges(live, ranges)) {
        m_checkpoint->prepareView(ranges);
        std::vector<char> changed(std::size_t(columns) * std::size_t(rows), 0);
        for (const auto& range : ranges) {
            for (std::size_t at = range.from; at < range.to;) {
                const std::size_t y = at / rowBytes;
                const std::size_t rowStart = y * rowBytes;
                const std::size_t end = std::min(range.to, rowStart + rowBytes);
                const uchar* now = live.constScanLine(int(y));
                const uchar* before = kept + rowStart;
                char* marks = changed.data() + (y / Side) * std::size_t(columns);
                for (std::size_t tx = (at - rowStart) / TileRowBytes; tx <= (end - 1 - rowStart) / TileRowBytes; ++tx) {
                    if (marks[tx])
                        continue;
                    // Only the part of the tile's row inside the written run.
                    const std::size_t from = std::max(at - rowStart, tx * TileRowBytes);
                    const std::size_t to = std::min(end - rowStart, tx * TileRowBytes + tileBytes(int(tx)));
                    if (std::memcmp(now + from, before + from, to - from) != 0)
                        marks[tx] = 1;
                }
                at = end;
            }
        }
        if (into) {
            for (int ty = 0; ty < rows; ++ty) {
                const char* marks = changed.data() + std::size_t(ty) * std::size_t(columns);
                for (int tx = 0; tx < columns; ++tx) {
                    if (marks[tx])
                        into->addTile(tx, ty, band(ty), rowBytes);
                }
            }
        }
        // Every written page goes back to the checkpoint, changed or not.
        if (!m_checkpoint->updateRanges(live, ranges)) {
            platform::nsLog(QStringLiteral("SWUndoRecorder: the kept picture cannot be brought up to date; keeping a new one"));
            takeCheckpoint(live);
        } else if (!ranges.empty()) {
            m_checkpoint->releaseView();
        }
        if (m_checkpoint)
            m_caughtUpKey = live.cacheKey();
        return;
    }

    // Any byte may differ: compare every row, band by band.
    std::vector<char> changed(std::size_t(columns), 0);
    std::vector<int> bands;
    for (int ty = 0; ty < rows; ++ty) {
        const int y0 = ty * Side;
        const int h = std::min(Side, size.height() - y0);
        std::fill(changed.begin(), changed.end(), 0);
        bool any = false;
        for (int r = 0; r < h; ++r) {
            const uchar* now = live.constScanLine(y0 + r);
            const uchar* before = band(ty) + std::size_t(r) * rowBytes;
            if (std::memcmp(now, before, rowBytes) == 0)
                continue;
            for (int tx = 0; tx < columns; ++tx) {
                const std::size_t at = std::size_t(tx) * TileRowBytes;
                if (!changed[std::size_t(tx)] && std::memcmp(now + at, before + at, tileBytes(tx)) != 0) {
                    changed[std::size_t(tx)] = 1;
                    any = true;
                }
            }
        }
        if (!any)
            continue;
        if (into) {
            for (int tx = 0; tx < columns; ++tx) {
                if (changed[std::size_t(tx)])
                    into->addTile(tx, ty, band(ty), rowBytes);
            }
        }
        if (!m_checkpoint->updateRows(live, y0, h)) {
            platform::nsLog(QStringLiteral("SWUndoRecorder: the kept picture cannot be brought up to date; keeping a new one"));
            takeCheckpoint(live);
            if (m_checkpoint)
                m_caughtUpKey = live.cacheKey();
            return;
        }
        bands.push_back(ty);
    }
    m_checkpoint->releaseView();
    // Only now, with the checkpoint equal to the live picture everywhere,
    // may written pages be shared again.
    if (m_checkpoint->sharesWith(live)) {
        for (int ty : bands)
            m_checkpoint->shareRowsAgain(live, ty * Side, std::min(Side, size.height() - ty * Side));
    } else if (m_sharing) {
        m_checkpoint->shareAgain(live);
    }
}

void SWUndoRecorder::catchUpMarked(QImage& live, SWUndoStep* into, const CanvasWriteMarks& marks)
{
    const QSize size = m_checkpoint->size();
    const std::size_t rowBytes = m_checkpoint->rowBytes();
    std::vector<Tile> tiles = marks.tiles();
    if (m_auditing) {
        const std::vector<Tile> missed = unmarkedChanges(live, marks);
        if (!missed.empty()) {
            m_missedTiles += int(missed.size());
            platform::nsLog(QStringLiteral("SWUndoRecorder: %1 changed tiles were not marked, the first at column "
                                           "%2, row %3")
                                .arg(missed.size())
                                .arg(missed.front().first)
                                .arg(missed.front().second));
            tiles.insert(tiles.end(), missed.begin(), missed.end());
        }
    }
    // Row by row, so the checkpoint's pages are visited in order.
    std::sort(tiles.begin(), tiles.end(), [](const Tile& a, const Tile& b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    });
    const std::vector<QRect> rects = tileRects(tiles, size);
    const bool shared = !m_checkpoint->isCopy();
    std::vector<CanvasCheckpoint::Range> pages;
    if (shared) {
        pages = m_checkpoint->pageRanges(rects);
        m_checkpoint->prepareView(pages);
    }
    const uchar* kept = m_checkpoint->pixels();
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        if (rects[i].isEmpty() || !differs(live, kept, rowBytes, rects[i]))
            continue;
        const auto [tx, ty] = tiles[i];
        if (into)
            into->addTile(tx, ty, kept + std::size_t(ty) * Side * rowBytes, rowBytes);
        if (!shared)
            m_checkpoint->updateRect(live, rects[i]);
    }
    // The whole pages around the marked tiles go back to the checkpoint,
    // not just the tiles: a page is shared again only once the file holds
    // every byte of it, so nothing the live picture holds can get lost.
    if (shared) {
        if (!m_checkpoint->updateRanges(live, pages)) {
            platform::nsLog(QStringLiteral("SWUndoRecorder: the kept picture cannot be brought up to date; keeping a new one"));
            takeCheckpoint(live);
        } else {
            m_checkpoint->releaseView();
        }
    }
    if (m_checkpoint)
        m_caughtUpKey = live.cacheKey();
}

std::vector<std::pair<int, int>> SWUndoRecorder::unmarkedChanges(const QImage& live, const CanvasWriteMarks& marks)
{
    const QSize size = m_checkpoint->size();
    const std::size_t rowBytes = m_checkpoint->rowBytes();
    const int columns = (size.width() + Side - 1) / Side;
    const int rows = (size.height() + Side - 1) / Side;
    std::vector<char> candidate(std::size_t(columns) * std::size_t(rows), 0);
    std::vector<CanvasCheckpoint::Range> written;
    if (m_checkpoint->writtenRanges(live, written)) {
        // Only tiles under pages written since they were last shared can
        // differ.
        for (const auto& range : written) {
            for (std::size_t at = range.from; at < range.to;) {
                const std::size_t y = at / rowBytes;
                const std::size_t rowStart = y * rowBytes;
                const std::size_t end = std::min(range.to, rowStart + rowBytes);
                for (std::size_t tx = (at - rowStart) / TileRowBytes; tx <= (end - 1 - rowStart) / TileRowBytes; ++tx)
                    candidate[(y / Side) * std::size_t(columns) + tx] = 1;
                at = end;
            }
        }
        m_checkpoint->prepareView(written);
    } else {
        std::fill(candidate.begin(), candidate.end(), 1);
        m_checkpoint->prepareView(0, rowBytes * std::size_t(size.height()));
    }
    std::vector<Tile> missed;
    const uchar* kept = m_checkpoint->pixels();
    for (int ty = 0; ty < rows; ++ty) {
        for (int tx = 0; tx < columns; ++tx) {
            if (!candidate[std::size_t(ty) * std::size_t(columns) + std::size_t(tx)] || marks.isMarked(tx, ty))
                continue;
            if (differs(live, kept, rowBytes, tileRect({tx, ty}, size)))
                missed.emplace_back(tx, ty);
        }
    }
    return missed;
}
