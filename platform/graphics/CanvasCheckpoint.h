#pragma once

#include <QImage>
#include <QSize>

#include <memory>
#include <vector>

namespace platform {

// A frozen copy of a canvas bitmap as it was at one moment, read back by
// rows: what an undo history compares the live picture with to find what a
// change touched.
//
// Where the system allows it the copy lives in an anonymous memory file,
// and the live picture is handed back as a private mapping of that same
// file: the two share every page until the live one writes it (the kernel
// copies a page on its first write). Holding the checkpoint then costs
// memory only for the pages that changed since it was last brought up to
// date. Elsewhere it is a plain second copy.
//
// The checkpoint reads and writes its file through a shared mapping of its
// own. A page of the live bitmap that has not been written since it was
// last shared shows whatever that mapping writes: the two change together.
class CanvasCheckpoint {
public:
    ~CanvasCheckpoint();
    CanvasCheckpoint(const CanvasCheckpoint&) = delete;
    CanvasCheckpoint& operator=(const CanvasCheckpoint&) = delete;

    // A checkpoint of the live canvas bitmap's pixels. live may be replaced
    // by a bitmap with the same pixels that shares its memory with the
    // checkpoint (so callers must take pointers into it afresh). Null when
    // live is null or the memory cannot be had.
    static std::unique_ptr<CanvasCheckpoint> take(QImage& live);
    // The same, never sharing: a plain copy (for tests and as the fallback).
    static std::unique_ptr<CanvasCheckpoint> takeCopy(const QImage& live);

    QSize size() const { return m_size; }
    std::size_t rowBytes() const { return std::size_t(m_size.width()) * 4; }
    // Whether live is the bitmap that shares memory with this checkpoint.
    bool sharesWith(const QImage& live) const;
    // Whether this is a plain copy (it never shares memory).
    bool isCopy() const { return m_fd < 0; }

    // A run of bytes of the bitmap, counted from its first pixel.
    struct Range {
        std::size_t from;
        std::size_t to;
    };
    // For a sharing live bitmap: the runs of bytes under pages written since
    // they were last shared, in order. Bytes outside them certainly equal
    // the checkpoint's. False when that cannot be told (every byte may
    // differ).
    bool writtenRanges(const QImage& live, std::vector<Range>& ranges) const;
    // The checkpoint takes a sharing live bitmap's bytes in the given runs,
    // and those pages are shared again. Only for runs that begin and end on
    // page boundaries (as from writtenRanges() or pageRanges()) and whose
    // every changed byte the caller has kept, if it needs them.
    bool updateRanges(QImage& live, const std::vector<Range>& ranges);
    // Whole pages around rectangles of pixels, in order and merged: what
    // updateRanges() takes, and what a shared write there reaches.
    std::vector<Range> pageRanges(const std::vector<QRect>& rects) const;
    // For a sharing live bitmap: whether no page in the runs was written
    // since it was last shared, so live reads there what the checkpoint
    // holds. False also when that cannot be told.
    bool pagesShared(const QImage& live, const std::vector<Range>& ranges) const;
    // Pixels of rect (inside the bitmap) take live's (same size): for a
    // plain copy, or a live bitmap that does not share.
    bool updateRect(const QImage& live, const QRect& rect);

    // The checkpoint's pixels, rowBytes() apart, top row first.
    const uchar* pixels() const { return m_fd >= 0 ? m_view : m_copy.constBits(); }
    // For a sharing live bitmap: the checkpoint's pixels as above, writable.
    // What is written there shows at once in every page of live that has
    // not been written since it was last shared. Null when live does not
    // share.
    uchar* sharedPixels(const QImage& live);
    // Maps bytes [from, to) of the checkpoint's own view in one go, before
    // a run of reads or writes there: one call instead of a fault per page.
    void prepareView(std::size_t from, std::size_t to);
    // The same for runs of bytes in order (from writtenRanges()).
    void prepareView(const std::vector<Range>& ranges);
    // The checkpoint's own mapping lets go of the pages it has touched (they
    // stay in the memory file), so that no page counts twice in the
    // program's resident memory.
    void releaseView();

    // Rows [y, y + count) of the checkpoint, rowBytes() apart, into `into`.
    bool readRows(int y, int count, uchar* into) const;
    // Rows [y, y + count) of the checkpoint take the live bitmap's pixels
    // (same size).
    bool updateRows(const QImage& live, int y, int count);
    // Once the checkpoint equals the live bitmap: rows [y, y + count) of a
    // sharing live bitmap give up the private copies of the pages written,
    // and read the checkpoint's again. Never call it while any row of the
    // live bitmap differs from the checkpoint.
    void shareRowsAgain(QImage& live, int y, int count);
    // Once the checkpoint equals the live bitmap: a live bitmap that does
    // not share (it was replaced) is replaced by one that does. False when
    // it cannot be done; live then stays as it was.
    bool shareAgain(QImage& live);

private:
    CanvasCheckpoint() = default;
    QImage mapLive() const;

    QSize m_size;
    int m_fd = -1;            // the memory file, or -1 for a plain copy
    uchar* m_view = nullptr;  // the memory file, mapped shared
    std::size_t m_viewFrom = 0; // the bytes of the view that may be mapped
    std::size_t m_viewTo = 0;
    QImage m_copy;            // the plain copy when there is no memory file
    const uchar* m_live = nullptr; // the sharing live bitmap's first pixel
    qint64 m_liveSerial = -1;
};

} // namespace platform
