#include "Beep.h"

#include <QApplication>
#include <atomic>

namespace platform {

namespace {
std::atomic<int> beeps{0};
}

void Beep::play()
{
    ++beeps;
    QApplication::beep();
}

int Beep::count()
{
    return beeps.load();
}

} // namespace platform
