#pragma once

// A running repeating timer handed out by a VTRClock. Destroying it stops it.
class VTRTimer {
public:
    virtual ~VTRTimer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};
