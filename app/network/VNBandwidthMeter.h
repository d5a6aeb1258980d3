#pragma once

#include <QtGlobal>

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// The one bandwidth budget that every request of the process shares. Bytes
// moved in either direction are counted per second; a second that went over
// the limit is paid back by keeping the streams paused until a wake-up time,
// and reads are kept small while the budget is tight. Times are seconds on
// the meter's own clock, so tests can drive it.
class VNBandwidthMeter {
public:
    using Now = std::function<double()>;

    // What a request does with its stream after throttling.
    enum class StreamAction { Keep, Unschedule, Schedule };

    // At most this many one-second samples stay in the window.
    static constexpr int maximumSamples = 6;

    // The process's meter, on a monotonic clock.
    static VNBandwidthMeter& shared();

    explicit VNBandwidthMeter(Now now);

    // 0 turns throttling off. A new limit starts a new second: bytes moved
    // before it are not paid back under it.
    void setMaxBandwidthPerSecond(quint64 bytes);
    quint64 maxBandwidthPerSecond() const;
    bool isBandwidthThrottled() const;

    void incrementBandwidthUsedInLastSecond(quint64 bytes);
    quint64 bandwidthUsedInLastSecond() const;
    quint64 averageBandwidthUsedPerSecond() const;
    std::vector<quint64> samples() const;
    std::optional<double> measurementDate() const;
    std::optional<double> wakeUpTime() const;
    // A limit is set and its wake-up time is still ahead: streams wait.
    bool isWakeUpPending() const;

    // Closes the measurement second when it is over and, when the current
    // second went over the limit, moves the wake-up time.
    void measureBandwidthUsage();

    // A request's throttling step: measures, then says whether its stream
    // (scheduled or not right now) must be paused or resumed.
    StreamAction throttleStream(bool streamIsScheduled);

    // How many bytes a response read may take, given its usual size.
    qint64 readLength(qint64 normalReadLength) const;

    // How many bytes a request body may hand out in one read; 0 without a
    // limit. The caller counts what it really read.
    quint64 maxUploadReadLength();

    // Whether a request body must hold back now: a limit is set and the
    // current second's allowance is spent (the wake-up time then marks
    // when it may go on). Measures first, so a second that has passed
    // frees the budget.
    bool uploadMustWait();

private:
    void measureLocked();
    void recordBandwidthUsage();

    Now now_;
    mutable std::mutex lock_;
    quint64 maximum_ = 0;
    quint64 usedInCurrentSecond_ = 0;
    quint64 average_ = 0;
    std::deque<quint64> samples_;
    std::optional<double> measurementDate_;
    std::optional<double> wakeUpTime_;
};
