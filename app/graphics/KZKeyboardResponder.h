#pragma once

class QKeyEvent;

// Keys the vector tool passes on; both optional, ignored by default.
class KZKeyboardResponder {
public:
    virtual ~KZKeyboardResponder() = default;

    virtual bool handleKeyDown(QKeyEvent*) { return false; }
    virtual bool handleKeyUp(QKeyEvent*) { return false; }
};
