#include "StartUpHeap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define VELUMO_GLIBC_HEAP 1
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef VELUMO_GLIBC_HEAP
namespace {

constexpr std::size_t kStartUpPad = std::size_t(16) << 20;
constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
// The allocator's own settings, back once start-up is over.
constexpr std::size_t kDefaultPad = std::size_t(128) << 10;
constexpr std::size_t kDefaultMapFrom = std::size_t(128) << 10;
// Blocks below this size come from the heap during start-up: large enough
// for the block that lines the heap up below.
constexpr std::size_t kStartUpMapFrom = std::size_t(4) << 20;
constexpr std::size_t kProbe = std::size_t(64) << 10;
constexpr int kMostProbes = 8;

bool g_begun = false;
// Holds the heap from where start-up found its end up to the next huge
// page boundary, so that what start-up allocates lies on whole huge pages.
// Its own pages are never touched.
void* g_alignment = nullptr;

std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

} // namespace

void StartUpHeap::begin()
{
    if (g_begun)
        return;
    if (mallopt(M_TOP_PAD, int(kStartUpPad)) != 1 || mallopt(M_MMAP_THRESHOLD, int(kStartUpMapFrom)) != 1) {
        mallopt(M_TOP_PAD, int(kDefaultPad));
        return;
    }
    g_begun = true;
    auto* const before = static_cast<char*>(sbrk(0));
    if (before == reinterpret_cast<char*>(-1))
        return;
    // Blocks larger than any the start so far freed come from the heap's
    // free end, and soon make the heap grow, by the pad: the whole step is
    // then one mapping that the hint below covers (a step taken later would
    // be a mapping of its own, without it).
    void* probes[kMostProbes] = {};
    char* after = before;
    for (int i = 0; i < kMostProbes && after == before; ++i) {
        // Larger than what is left at the heap's end, whatever that is.
        probes[i] = std::malloc(std::min(kStartUpMapFrom / 2, std::max(kProbe, mallinfo2().keepcost + kProbe)));
        after = static_cast<char*>(sbrk(0));
    }
    // The first probe's place is where the heap's free end began.
    const std::uintptr_t from = address(probes[0]);
    for (void* probe : probes)
        std::free(probe);
    if (!from || after == reinterpret_cast<char*>(-1) || after <= before)
        return;
    const std::uintptr_t first = (address(before) + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = address(after);
    if (first >= last)
        return;
    // A block from there up to the boundary keeps the rest of start-up
    // above it.
    if (from < first && first - from > kProbe)
        g_alignment = std::malloc(first - from - 2 * sizeof(std::size_t));
    // Only a hint: where the system has no huge page at hand, or does not
    // take hints, the heap is made of ordinary pages as before.
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void StartUpHeap::end()
{
    if (!g_begun)
        return;
    g_begun = false;
    std::free(std::exchange(g_alignment, nullptr));
    mallopt(M_TOP_PAD, int(kDefaultPad));
    mallopt(M_MMAP_THRESHOLD, int(kDefaultMapFrom));
    // What is left of the step goes back to the system now, not at some
    // later free: until then a block as large as a picture would still be
    // taken from it, and not given back when the picture closes.
    malloc_trim(kDefaultPad);
}

#else

void StartUpHeap::begin() {}
void StartUpHeap::end() {}

#endif

} // namespace platform
