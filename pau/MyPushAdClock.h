#pragma once

#include "platform/foundation/Clock.h"

// The clock the library's delays and retries run on: the system's, unless
// a test installs one it moves itself.
class MyPushAdClock {
public:
    static platform::Clock& clock();
    // Null puts the system clock back.
    static void setClock(platform::Clock* clock);
};
