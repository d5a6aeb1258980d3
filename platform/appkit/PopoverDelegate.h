#pragma once

namespace platform {

class Popover;

// What a popover tells its delegate around showing and closing. Each call
// is optional and comes on the main thread.
class PopoverDelegate {
public:
    virtual ~PopoverDelegate() = default;
    virtual void popoverWillShow(Popover&) {}
    virtual void popoverDidShow(Popover&) {}
    virtual void popoverWillClose(Popover&) {}
    // After the popover has left the screen; the delegate may delete it
    // (with deleteLater) from here.
    virtual void popoverDidClose(Popover&) {}
};

} // namespace platform
