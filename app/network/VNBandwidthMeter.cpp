#include "VNBandwidthMeter.h"

#include <chrono>
#include <numeric>

VNBandwidthMeter& VNBandwidthMeter::shared()
{
    static VNBandwidthMeter meter([] {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    });
    return meter;
}

VNBandwidthMeter::VNBandwidthMeter(Now now)
    : now_(std::move(now))
{
}

void VNBandwidthMeter::setMaxBandwidthPerSecond(quint64 bytes)
{
    std::lock_guard guard(lock_);
    if (bytes == maximum_)
        return;
    maximum_ = bytes;
    // What moved under another limit, or none, is not paid back under this
    // one: a new limit starts a new second.
    if (usedInCurrentSecond_ > 0)
        recordBandwidthUsage();
    wakeUpTime_.reset();
}

quint64 VNBandwidthMeter::maxBandwidthPerSecond() const
{
    std::lock_guard guard(lock_);
    return maximum_;
}

bool VNBandwidthMeter::isBandwidthThrottled() const
{
    std::lock_guard guard(lock_);
    return maximum_ > 0;
}

void VNBandwidthMeter::incrementBandwidthUsedInLastSecond(quint64 bytes)
{
    std::lock_guard guard(lock_);
    usedInCurrentSecond_ += bytes;
}

quint64 VNBandwidthMeter::bandwidthUsedInLastSecond() const
{
    std::lock_guard guard(lock_);
    return usedInCurrentSecond_;
}

quint64 VNBandwidthMeter::averageBandwidthUsedPerSecond() const
{
    std::lock_guard guard(lock_);
    return average_;
}

std::vector<quint64> VNBandwidthMeter::samples() const
{
    std::lock_guard guard(lock_);
    return {samples_.begin(), samples_.end()};
}

std::optional<double> VNBandwidthMeter::measurementDate() const
{
    std::lock_guard guard(lock_);
    return measurementDate_;
}

std::optional<double> VNBandwidthMeter::wakeUpTime() const
{
    std::lock_guard guard(lock_);
    return wakeUpTime_;
}

bool VNBandwidthMeter::isWakeUpPending() const
{
    std::lock_guard guard(lock_);
    return maximum_ > 0 && wakeUpTime_ && *wakeUpTime_ > now_();
}

void VNBandwidthMeter::measureBandwidthUsage()
{
    std::lock_guard guard(lock_);
    measureLocked();
}

void VNBandwidthMeter::measureLocked()
{
    if (!measurementDate_ || *measurementDate_ <= now_())
        recordBandwidthUsage();
    if (maximum_ > 0 && usedInCurrentSecond_ > maximum_) {
        const double over = double(usedInCurrentSecond_ - maximum_);
        wakeUpTime_ = *measurementDate_ + over / double(maximum_);
    }
}

void VNBandwidthMeter::recordBandwidthUsage()
{
    const double now = now_();
    if (usedInCurrentSecond_ == 0) {
        samples_.clear();
    } else if (measurementDate_) {
        // Every whole second that passed without a measurement pushes one
        // old sample out; the window never holds more than its size.
        double date = *measurementDate_;
        while (!samples_.empty() && (date + 1.0 <= now || int(samples_.size()) > maximumSamples - 1)) {
            samples_.pop_front();
            date += 1.0;
        }
    }
    samples_.push_back(usedInCurrentSecond_);
    measurementDate_ = now + 1.0;
    usedInCurrentSecond_ = 0;
    average_ = std::accumulate(samples_.begin(), samples_.end(), quint64(0)) / quint64(samples_.size());
}

VNBandwidthMeter::StreamAction VNBandwidthMeter::throttleStream(bool streamIsScheduled)
{
    std::lock_guard guard(lock_);
    measureLocked();
    if (maximum_ == 0)
        return streamIsScheduled ? StreamAction::Keep : StreamAction::Schedule;
    const double now = now_();
    const bool waiting = wakeUpTime_ && *wakeUpTime_ > now;
    if (streamIsScheduled && waiting)
        return StreamAction::Unschedule;
    if (!streamIsScheduled && !waiting)
        return StreamAction::Schedule;
    return StreamAction::Keep;
}

qint64 VNBandwidthMeter::readLength(qint64 normalReadLength) const
{
    std::lock_guard guard(lock_);
    if (maximum_ == 0)
        return normalReadLength;
    // Signed: the current second may already be over its allowance.
    const qint64 allowed = qint64(maximum_) - qint64(usedInCurrentSecond_);
    if (allowed < 0)
        return 1;
    if (allowed / 4 < normalReadLength)
        return std::max<qint64>(1, allowed / 4);
    return normalReadLength;
}

bool VNBandwidthMeter::uploadMustWait()
{
    std::lock_guard guard(lock_);
    if (maximum_ == 0)
        return false;
    measureLocked();
    if (wakeUpTime_ && *wakeUpTime_ > now_())
        return true;
    if (usedInCurrentSecond_ < maximum_)
        return false;
    wakeUpTime_ = measurementDate_;
    return true;
}

quint64 VNBandwidthMeter::maxUploadReadLength()
{
    std::lock_guard guard(lock_);
    if (maximum_ == 0)
        return 0;
    quint64 toRead = maximum_ / 4;
    if (usedInCurrentSecond_ + toRead > maximum_)
        toRead = usedInCurrentSecond_ >= maximum_ ? 0 : maximum_ - usedInCurrentSecond_;
    if (toRead == 0 || !measurementDate_ || *measurementDate_ < now_())
        wakeUpTime_ = measurementDate_;
    return toRead;
}
