#include "CanvasCheckpoint.h"

#include "CanvasBitmap.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <new>

namespace platform {

namespace {

struct Mapping {
    void* address;
    std::size_t length;
};

void unmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->address, mapping->length);
    delete mapping;
}

std::size_t pageSize()
{
    static const std::size_t size = std::size_t(sysconf(_SC_PAGESIZE));
    return size;
}

// The data of a QImage is told apart by its serial number (the high half of
// the cache key): an address alone could be reused by a later bitmap.
qint64 serialOf(const QImage& image)
{
    return image.cacheKey() >> 32;
}

bool writeAll(int fd, const uchar* from, std::size_t bytes, off_t at)
{
    while (bytes > 0) {
        const ssize_t n = pwrite(fd, from, bytes, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        from += n;
        bytes -= std::size_t(n);
        at += n;
    }
    return true;
}

// From a page map entry of the live mapping: whether the page is a private
// copy made by a write. A page not present reads the file; a present file
// page is the file's. Anything else (a private copy, in memory or swapped
// out) was written.
bool isWrittenPage(std::uint64_t entry)
{
    constexpr std::uint64_t Present = std::uint64_t(1) << 63;
    constexpr std::uint64_t Swapped = std::uint64_t(1) << 62;
    constexpr std::uint64_t FileOrShared = std::uint64_t(1) << 61;
    return (entry & Swapped) || ((entry & Present) && !(entry & FileOrShared));
}

// The kernel's page map of this process: for every page of a mapping,
// whether it still is the file's page or a private copy made by a write.
int pagemapFile()
{
    static const int pagemap = open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    return pagemap;
}

bool readAll(int fd, uchar* into, std::size_t bytes, off_t at)
{
    while (bytes > 0) {
        const ssize_t n = pread(fd, into, bytes, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        bytes -= std::size_t(n);
        at += n;
    }
    return true;
}

} // namespace

CanvasCheckpoint::~CanvasCheckpoint()
{
    if (m_view)
        munmap(m_view, rowBytes() * std::size_t(m_size.height()));
    if (m_fd >= 0)
        close(m_fd);
}

std::unique_ptr<CanvasCheckpoint> CanvasCheckpoint::takeCopy(const QImage& live)
{
    if (live.isNull())
        return nullptr;
    std::unique_ptr<CanvasCheckpoint> checkpoint(new (std::nothrow) CanvasCheckpoint);
    if (!checkpoint)
        return nullptr;
    checkpoint->m_copy = CanvasBitmap::copy(live);
    if (checkpoint->m_copy.isNull())
        return nullptr;
    checkpoint->m_size = live.size();
    return checkpoint;
}

std::unique_ptr<CanvasCheckpoint> CanvasCheckpoint::take(QImage& live)
{
    if (live.isNull() || !CanvasBitmap::convert(live))
        return nullptr;
    std::unique_ptr<CanvasCheckpoint> checkpoint(new (std::nothrow) CanvasCheckpoint);
    if (!checkpoint)
        return nullptr;
    checkpoint->m_size = live.size();
    const int fd = memfd_create("velumo-canvas", MFD_CLOEXEC);
    if (fd < 0)
        return takeCopy(live);
    checkpoint->m_fd = fd;
    const std::size_t rowBytes = checkpoint->rowBytes();
    const std::size_t total = rowBytes * std::size_t(live.height());
    if (ftruncate(fd, off_t(total)) != 0 || !checkpoint->updateRows(live, 0, live.height()))
        return takeCopy(live);
    void* view = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED)
        return takeCopy(live);
    checkpoint->m_view = static_cast<uchar*>(view);
    QImage shared = checkpoint->mapLive();
    if (shared.isNull())
        return takeCopy(live);
    shared.setDotsPerMeterX(live.dotsPerMeterX());
    shared.setDotsPerMeterY(live.dotsPerMeterY());
    live = shared;
    checkpoint->m_live = live.constBits();
    checkpoint->m_liveSerial = serialOf(live);
    return checkpoint;
}

QImage CanvasCheckpoint::mapLive() const
{
    const std::size_t length = rowBytes() * std::size_t(m_size.height());
    void* address = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE, m_fd, 0);
    if (address == MAP_FAILED)
        return {};
    auto* mapping = new (std::nothrow) Mapping{address, length};
    if (!mapping) {
        munmap(address, length);
        return {};
    }
    QImage image(static_cast<uchar*>(address), m_size.width(), m_size.height(), qsizetype(rowBytes()),
                 CanvasBitmap::Format, unmap, mapping);
    if (image.isNull())
        unmap(mapping);
    return image;
}

bool CanvasCheckpoint::sharesWith(const QImage& live) const
{
    return m_fd >= 0 && m_live && live.constBits() == m_live && serialOf(live) == m_liveSerial
        && live.size() == m_size;
}

bool CanvasCheckpoint::writtenRanges(const QImage& live, std::vector<Range>& ranges) const
{
    ranges.clear();
    if (!sharesWith(live))
        return false;
    const int pagemap = pagemapFile();
    if (pagemap < 0)
        return false;
    const std::size_t page = pageSize();
    const std::size_t length = rowBytes() * std::size_t(m_size.height());
    const std::size_t pages = (length + page - 1) / page;
    const auto first = reinterpret_cast<std::uintptr_t>(m_live) / page;
    std::vector<std::uint64_t> entries(pages);
    if (!readAll(pagemap, reinterpret_cast<uchar*>(entries.data()), pages * sizeof(std::uint64_t),
                 off_t(first * sizeof(std::uint64_t))))
        return false;
    for (std::size_t i = 0; i < pages; ++i) {
        if (!isWrittenPage(entries[i]))
            continue;
        const std::size_t from = i * page;
        const std::size_t to = std::min(from + page, length);
        if (!ranges.empty() && ranges.back().to == from)
            ranges.back().to = to;
        else
            ranges.push_back({from, to});
    }
    return true;
}

std::vector<CanvasCheckpoint::Range> CanvasCheckpoint::pageRanges(const std::vector<QRect>& rects) const
{
    const std::size_t page = pageSize();
    const std::size_t rowBytes = this->rowBytes();
    const std::size_t length = rowBytes * std::size_t(m_size.height());
    std::vector<Range> runs;
    for (const QRect& rect : rects) {
        const QRect r = rect.intersected(QRect(QPoint(0, 0), m_size));
        if (r.isEmpty())
            continue;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const std::size_t row = std::size_t(y) * rowBytes;
            const std::size_t from = (row + std::size_t(r.left()) * 4) / page * page;
            const std::size_t to = (row + std::size_t(r.right() + 1) * 4 + page - 1) / page * page;
            runs.push_back({from, std::min(to, length)});
        }
    }
    std::sort(runs.begin(), runs.end(), [](const Range& a, const Range& b) { return a.from < b.from; });
    std::vector<Range> merged;
    for (const Range& run : runs) {
        if (!merged.empty() && run.from <= merged.back().to)
            merged.back().to = std::max(merged.back().to, run.to);
        else
            merged.push_back(run);
    }
    return merged;
}

bool CanvasCheckpoint::pagesShared(const QImage& live, const std::vector<Range>& ranges) const
{
    if (!sharesWith(live))
        return false;
    const int pagemap = pagemapFile();
    if (pagemap < 0)
        return false;
    const std::size_t page = pageSize();
    const auto first = reinterpret_cast<std::uintptr_t>(m_live) / page;
    // Runs close together are read in one go; far apart, each on its own,
    // so the kernel walks only the page tables around them.
    constexpr std::size_t Gap = std::size_t(1) << 20;
    std::vector<std::uint64_t> entries;
    for (std::size_t i = 0; i < ranges.size();) {
        const std::size_t from = ranges[i].from / page;
        std::size_t j = i + 1;
        while (j < ranges.size() && ranges[j].from - ranges[j - 1].to <= Gap)
            ++j;
        const std::size_t to = (ranges[j - 1].to + page - 1) / page;
        entries.resize(to - from);
        if (!readAll(pagemap, reinterpret_cast<uchar*>(entries.data()), entries.size() * sizeof(std::uint64_t),
                     off_t((first + from) * sizeof(std::uint64_t))))
            return false;
        for (; i < j; ++i) {
            for (std::size_t p = ranges[i].from / page; p < (ranges[i].to + page - 1) / page; ++p) {
                if (isWrittenPage(entries[p - from]))
                    return false;
            }
        }
    }
    return true;
}

bool CanvasCheckpoint::updateRect(const QImage& live, const QRect& rect)
{
    if (live.size() != m_size || live.format() != CanvasBitmap::Format || !QRect(QPoint(0, 0), m_size).contains(rect))
        return false;
    uchar* bits = m_fd >= 0 ? m_view : m_copy.bits();
    if (!bits)
        return false;
    const std::size_t rowBytes = this->rowBytes();
    const std::size_t bytes = std::size_t(rect.width()) * 4;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        std::memcpy(bits + std::size_t(y) * rowBytes + std::size_t(rect.left()) * 4,
                    live.constScanLine(y) + std::size_t(rect.left()) * 4, bytes);
    return true;
}

uchar* CanvasCheckpoint::sharedPixels(const QImage& live)
{
    return sharesWith(live) ? m_view : nullptr;
}

void CanvasCheckpoint::prepareView(std::size_t from, std::size_t to)
{
    const std::size_t length = rowBytes() * std::size_t(m_size.height());
    to = std::min(to, length);
    if (!m_view || from >= to)
        return;
    const std::size_t page = pageSize();
    from = from / page * page;
    to = std::min((to + page - 1) / page * page, (length + page - 1) / page * page);
    if (m_viewTo > m_viewFrom) {
        m_viewFrom = std::min(m_viewFrom, from);
        m_viewTo = std::max(m_viewTo, to);
    } else {
        m_viewFrom = from;
        m_viewTo = to;
    }
#ifdef MADV_POPULATE_WRITE
    // A hint: where the kernel lacks it, the pages fault in one by one.
    madvise(m_view + from, to - from, MADV_POPULATE_WRITE);
#endif
}

void CanvasCheckpoint::prepareView(const std::vector<Range>& ranges)
{
    // Runs close together go in one call: mapping a few pages between them
    // costs less than a call of its own.
    constexpr std::size_t Gap = std::size_t(256) << 10;
    for (std::size_t i = 0; i < ranges.size();) {
        const std::size_t from = ranges[i].from;
        std::size_t to = ranges[i].to;
        for (++i; i < ranges.size() && ranges[i].from - to <= Gap; ++i)
            to = ranges[i].to;
        prepareView(from, to);
    }
}

void CanvasCheckpoint::releaseView()
{
    // Only the page table entries go; the file keeps every page.
    if (m_view && m_viewTo > m_viewFrom)
        madvise(m_view + m_viewFrom, m_viewTo - m_viewFrom, MADV_DONTNEED);
    m_viewFrom = m_viewTo = 0;
}

bool CanvasCheckpoint::updateRanges(QImage& live, const std::vector<Range>& ranges)
{
    if (!sharesWith(live))
        return false;
    const std::size_t page = pageSize();
    for (const Range& r : ranges)
        std::memcpy(m_view + r.from, m_live + r.from, r.to - r.from);
    // Only once the file holds every written byte may the private copies go.
    // Runs close together go in one call: each call makes every processor
    // running this process forget its page translations, which costs more
    // than reading a few clean pages again.
    constexpr std::size_t Gap = std::size_t(4) << 20;
    for (std::size_t i = 0; i < ranges.size();) {
        const std::size_t from = ranges[i].from / page * page;
        std::size_t to = ranges[i].to;
        for (++i; i < ranges.size() && ranges[i].from - to <= Gap; ++i)
            to = ranges[i].to;
        to = (to + page - 1) / page * page;
        madvise(const_cast<uchar*>(m_live) + from, to - from, MADV_DONTNEED);
    }
    return true;
}

bool CanvasCheckpoint::readRows(int y, int count, uchar* into) const
{
    if (y < 0 || count < 0 || y + count > m_size.height())
        return false;
    const std::size_t rowBytes = this->rowBytes();
    if (m_fd < 0) {
        for (int i = 0; i < count; ++i)
            std::memcpy(into + std::size_t(i) * rowBytes, m_copy.constScanLine(y + i), rowBytes);
        return true;
    }
    return readAll(m_fd, into, rowBytes * std::size_t(count), off_t(rowBytes * std::size_t(y)));
}

bool CanvasCheckpoint::updateRows(const QImage& live, int y, int count)
{
    if (live.size() != m_size || live.format() != CanvasBitmap::Format || y < 0 || count < 0
        || y + count > m_size.height())
        return false;
    const std::size_t rowBytes = this->rowBytes();
    if (m_fd < 0) {
        for (int i = 0; i < count; ++i)
            std::memcpy(m_copy.scanLine(y + i), live.constScanLine(y + i), rowBytes);
        return true;
    }
    if (std::size_t(live.bytesPerLine()) == rowBytes)
        return count == 0
            || writeAll(m_fd, live.constScanLine(y), rowBytes * std::size_t(count), off_t(rowBytes * std::size_t(y)));
    for (int i = 0; i < count; ++i) {
        if (!writeAll(m_fd, live.constScanLine(y + i), rowBytes, off_t(rowBytes * std::size_t(y + i))))
            return false;
    }
    return true;
}

void CanvasCheckpoint::shareRowsAgain(QImage& live, int y, int count)
{
    if (!sharesWith(live) || count <= 0)
        return;
    const std::size_t page = pageSize();
    const std::size_t length = rowBytes() * std::size_t(m_size.height());
    const std::size_t from = (rowBytes() * std::size_t(y)) / page * page;
    const std::size_t to = std::min((rowBytes() * std::size_t(y + count) + page - 1) / page * page,
                                    (length + page - 1) / page * page);
    // The private copies go; the pages read the file again, which holds the
    // same pixels.
    madvise(const_cast<uchar*>(m_live) + from, to - from, MADV_DONTNEED);
}

bool CanvasCheckpoint::shareAgain(QImage& live)
{
    if (m_fd < 0 || live.size() != m_size)
        return false;
    if (sharesWith(live))
        return true;
    QImage shared = mapLive();
    if (shared.isNull())
        return false;
    shared.setDotsPerMeterX(live.dotsPerMeterX());
    shared.setDotsPerMeterY(live.dotsPerMeterY());
    live = shared;
    m_live = live.constBits();
    m_liveSerial = serialOf(live);
    return true;
}

} // namespace platform
