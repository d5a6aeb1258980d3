#include "SWUndoRecorder.h"

#include "platform/foundation/SystemLog.h"
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasCheckpoint.h"

#include <algorithm>
#include <cstring>

using platform::CanvasCheckpoint;

namespace {
constexpr int Side = SWUndoStep::TileSide;
constexpr std::size_t TileRowBytes = std::size_t(Side) * 4;
} // namespace

SWUndoRecorder::SWUndoRecorder() = default;
SWUndoRecorder::~SWUndoRecorder() = default;

std::shared_ptr<SWUndoStep> SWUndoRecorder::beginStep(QImage& live)
{
    if (m_open && m_caughtUpKey != 0 && live.cacheKey() == m_caughtUpKey) {
        // live was not opened for writing since the checkpoint caught up:
        // nothing can differ, and the open step holds all it needs.
        m_open->finish();
    } else if (m_open) {
        catchUp(live, m_open.get());
        m_open->finish();
    } else {
        catchUp(live, nullptr);
    }
    if (m_open && !m_open->isCompressed())
        m_uncompressed.push_back(m_open);
    m_open = std::make_shared<SWUndoStep>();
    m_open->begin(m_checkpoint ? m_checkpoint->size() : live.size(), false);
    if (!m_checkpoint && !live.isNull())
        platform::nsLog(QStringLiteral("SWUndoRecorder: no memory to keep the picture for undo; the step will restore nothing"));
    return m_open;
}

bool SWUndoRecorder::apply(const SWUndoStep& step, QImage& live)
{
    if (!step.isComplete() || live.size() != step.size() || !platform::CanvasBitmap::isCanvas(live))
        return false;
    if (!m_open || !m_checkpoint || m_open->size() != step.size() || !m_checkpoint->sharesWith(live))
        return step.apply(live);
    // Whatever live took since the checkpoint caught up goes to the open
    // step first: the tiles written below must read as the checkpoint does.
    if (live.cacheKey() != m_caughtUpKey)
        catchUp(live, m_open.get());
    // Written through the checkpoint only while live shares every page with
    // it (else live would not see the tiles); otherwise live takes them and
    // the open step finds them by comparison.
    uchar* shared = m_checkpoint && live.cacheKey() == m_caughtUpKey ? m_checkpoint->sharedPixels(live) : nullptr;
    if (!shared || m_open->size() != step.size())
        return step.apply(live);
    const std::size_t rowBytes = m_checkpoint->rowBytes();
    const std::vector<std::pair<int, int>> tiles = step.tilePositions();
    int preparedRow = -1;
    for (const auto& [tx, ty] : tiles) {
        if (ty != preparedRow) {
            // Tiles come row by row: the whole band's pages in one go.
            m_checkpoint->prepareView(std::size_t(ty) * Side * rowBytes, std::size_t(ty + 1) * Side * rowBytes);
            preparedRow = ty;
        }
    }
    for (const auto& [tx, ty] : tiles)
        m_open->addTile(tx, ty, shared + std::size_t(ty) * Side * rowBytes, rowBytes);
    const bool applied = step.apply(shared, rowBytes);
    m_checkpoint->releaseView();
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

void SWUndoRecorder::catchUp(QImage& live, SWUndoStep* into)
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
