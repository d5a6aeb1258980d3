#pragma once

#include <functional>

namespace platform {

// Delivery of work to the main (Qt) thread.
class MainThread {
public:
    static bool isCurrent();
    // Queues work for the main thread's event loop. With wait the caller
    // blocks until it ran; on the main thread it then runs at once.
    static void perform(std::function<void()> work, bool wait = false);
};

} // namespace platform
