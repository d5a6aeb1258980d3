#pragma once

#include "Clock.h"

#include <QElapsedTimer>
#include <QObject>

#include <map>

class QTimer;

namespace platform {

// Clock time from a monotonic timer; timers on the event loop.
class SystemClock : public QObject, public Clock {
    Q_OBJECT
public:
    SystemClock();
    double now() const override;
    TimerId schedule(double seconds, std::function<void()> fire) override;
    void cancel(TimerId id) override;

private:
    QElapsedTimer m_elapsed;
    std::map<TimerId, QTimer*> m_timers;
    TimerId m_next = 1;
};

} // namespace platform
