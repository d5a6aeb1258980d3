#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

// Runs the event loop until the condition holds or a generous deadline
// passes (a sanitizer build on two cores is slow), and says whether it holds.
inline bool processEventsUntil(const std::function<bool()>& condition, int deadlineMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < deadlineMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}
