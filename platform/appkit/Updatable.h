#pragma once

namespace platform {

// An object that refreshes itself (enabled states, titles) when its window
// runs its update pass after an event.
class Updatable {
public:
    virtual ~Updatable() = default;
    virtual void performUpdate() = 0;
};

} // namespace platform
