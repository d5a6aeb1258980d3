#include "SWUndoRecorder.h"

#include "platform/foundation/SystemLog.h"
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasCheckpoint.h"

#include <algorithm>
#include <cstring>

using platform::CanvasCheckpoint;

namespace {
constexpr int Side = SWUndoStep::TileSide;
} // namespace

SWUndoRecorder::SWUndoRecorder() = default;
SWUndoRecorder::~SWUndoRecorder() = default;

std::shared_ptr<SWUndoStep> SWUndoRecorder::beginStep(QImage& live)
{
    if (m_open) {
        catchUp(live, m_open.get());
        m_open->finish();
    } else {
        catchUp(live, nullptr);
    }
    m_open = std::make_shared<SWUndoStep>();
    if (!m_checkpoint && !live.isNull())
        platform::nsLog(QStringLiteral("SWUndoRecorder: no memory to keep the picture for undo; the step will restore nothing"));
    return m_open;
}

void SWUndoRecorder::reset()
{
    m_open.reset();
    m_checkpoint.reset();
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
    if (!m_checkpoint) {
        // Nothing was kept (no picture, or no memory then): the step has no
        // picture to give back.
        if (into)
            into->begin(live.size(), false);
        takeCheckpoint(live);
        return;
    }
    const QSize size = m_checkpoint->size();
    const std::size_t rowBytes = m_checkpoint->rowBytes();
    const int columns = (size.width() + Side - 1) / Side;
    const int rows = (size.height() + Side - 1) / Side;
    m_band.resize(rowBytes * Side);
    const bool whole = live.size() != size || !platform::CanvasBitmap::isCanvas(live);
    if (into)
        into->begin(size, whole);
    if (whole) {
        if (into) {
            for (int ty = 0; ty < rows; ++ty) {
                const int y0 = ty * Side;
                const int h = std::min(Side, size.height() - y0);
                if (!m_checkpoint->readRows(y0, h, m_band.data()))
                    break;
                for (int tx = 0; tx < columns; ++tx)
                    into->addTile(tx, ty, m_band.data(), rowBytes);
            }
        }
        takeCheckpoint(live);
        return;
    }

    // Where the live picture shares pages with the checkpoint, only bytes
    // under pages written since can differ: the tiles they reach, row by row.
    std::vector<CanvasCheckpoint::Range> ranges;
    const bool precise = m_checkpoint->writtenRanges(live, ranges);
    std::vector<char> marks;
    if (precise) {
        if (ranges.empty())
            return;
        marks.assign(std::size_t(size.height()) * std::size_t(columns), 0);
        const std::size_t tileBytes = std::size_t(Side) * 4;
        for (const auto& range : ranges) {
            for (std::size_t at = range.from; at < range.to;) {
                const std::size_t y = at / rowBytes;
                const std::size_t rowStart = y * rowBytes;
                const std::size_t end = std::min(range.to, rowStart + rowBytes);
                char* row = marks.data() + y * std::size_t(columns);
                std::fill(row + (at - rowStart) / tileBytes, row + (end - 1 - rowStart) / tileBytes + 1, 1);
                at = end;
            }
        }
    }
    const auto marked = [&](int y, int tx) {
        return !precise || marks[std::size_t(y) * std::size_t(columns) + std::size_t(tx)];
    };

    std::vector<char> changed(std::size_t(columns), 0);
    std::vector<int> bands;
    const std::size_t lastWidth = std::size_t(size.width() - (columns - 1) * Side) * 4;
    for (int ty = 0; ty < rows; ++ty) {
        const int y0 = ty * Side;
        const int h = std::min(Side, size.height() - y0);
        if (precise) {
            const char* band = marks.data() + std::size_t(y0) * std::size_t(columns);
            if (std::find(band, band + std::size_t(h) * std::size_t(columns), 1) == band + std::size_t(h) * std::size_t(columns))
                continue;
        }
        if (!m_checkpoint->readRows(y0, h, m_band.data())) {
            // The checkpoint cannot be read back: start again from here.
            platform::nsLog(QStringLiteral("SWUndoRecorder: the kept picture cannot be read; the step restores what it has"));
            takeCheckpoint(live);
            return;
        }
        std::fill(changed.begin(), changed.end(), 0);
        bool any = false;
        for (int r = 0; r < h; ++r) {
            const uchar* now = live.constScanLine(y0 + r);
            const uchar* kept = m_band.data() + std::size_t(r) * rowBytes;
            if (!precise && std::memcmp(now, kept, rowBytes) == 0)
                continue;
            for (int tx = 0; tx < columns; ++tx) {
                if (changed[std::size_t(tx)] || !marked(y0 + r, tx))
                    continue;
                const std::size_t at = std::size_t(tx) * Side * 4;
                const std::size_t bytes = tx == columns - 1 ? lastWidth : std::size_t(Side) * 4;
                if (std::memcmp(now + at, kept + at, bytes) != 0) {
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
                    into->addTile(tx, ty, m_band.data(), rowBytes);
            }
        }
        if (!precise && !m_checkpoint->updateRows(live, y0, h)) {
            platform::nsLog(QStringLiteral("SWUndoRecorder: the kept picture cannot be brought up to date; keeping a new one"));
            takeCheckpoint(live);
            return;
        }
        bands.push_back(ty);
    }
    if (precise) {
        // Every written page goes back to the checkpoint, changed or not.
        if (!m_checkpoint->updateRanges(live, ranges)) {
            platform::nsLog(QStringLiteral("SWUndoRecorder: the kept picture cannot be brought up to date; keeping a new one"));
            takeCheckpoint(live);
        }
        return;
    }
    // Only now, with the checkpoint equal to the live picture everywhere,
    // may written pages be shared again.
    if (m_checkpoint->sharesWith(live)) {
        for (int ty : bands)
            m_checkpoint->shareRowsAgain(live, ty * Side, std::min(Side, size.height() - ty * Side));
    } else if (m_sharing) {
        m_checkpoint->shareAgain(live);
    }
}
