#include "MyPushAdClock.h"

namespace {
platform::Clock* g_clock = nullptr;
}

platform::Clock& MyPushAdClock::clock()
{
    return g_clock ? *g_clock : platform::Clock::system();
}

void MyPushAdClock::setClock(platform::Clock* clock)
{
    g_clock = clock;
}
