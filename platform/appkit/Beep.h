#pragma once

namespace platform {

// The system beep: the program's way of saying "that did nothing".
// Every beep is counted so that tests can tell a refusal from a silent no-op.
class Beep {
public:
    static void play();
    static int count();
};

} // namespace platform
