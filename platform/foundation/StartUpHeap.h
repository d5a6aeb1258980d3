#pragma once

namespace platform {

// Start-up touches a few megabytes of fresh heap a page at a time, and the
// first touch of each page is a page fault: in a virtual machine some ten
// microseconds each, a good part of the time to the first window. While the
// program starts, the heap grows in one large step that the system may back
// with huge pages (transparent huge pages in their "madvise" mode), so those
// megabytes cost a handful of faults. Afterwards the heap grows and shrinks
// in the allocator's usual small steps again.
//
// Only with the C library's own allocator; elsewhere (a sanitizer's, for
// one) both calls do nothing.
class StartUpHeap
{
public:
    // First thing in main, before the application object.
    static void begin();
    // Once the first window has shown.
    static void end();
};

} // namespace platform
