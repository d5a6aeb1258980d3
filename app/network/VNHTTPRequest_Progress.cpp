// Progress to the request's receivers, its queue and its blocks, and the
// bandwidth budget all requests share: streams paused until the budget's
// wake-up time, reads shrunk while it is tight, bodies sent through the
// throttled input stream.
#include "VNHTTPRequest.h"

#include "VNBandwidthMeter.h"
#include "VNInputStream.h"
#include "VNProgressArithmetic.h"
#include "VNProgressDelegate.h"

#include "platform/network/MainThread.h"

using platform::MainThread;

namespace {
// Serialises indicator updates of all requests.
std::recursive_mutex& progressLock()
{
    static std::recursive_mutex lock;
    return lock;
}
} // namespace

// ---- receivers ----

std::shared_ptr<VNProgressDelegate> VNHTTPRequest::uploadProgressDelegate() const
{
    std::lock_guard lock(m_lock);
    return m_uploadProgressField->get();
}

void VNHTTPRequest::setUploadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate)
{
    std::lock_guard lock(m_lock);
    m_uploadProgressField->set(delegate);
    performOnReceiver(m_uploadProgressField, [](VNProgressDelegate& d) { d.setMaxValue(1.0); });
}

std::shared_ptr<VNProgressDelegate> VNHTTPRequest::downloadProgressDelegate() const
{
    std::lock_guard lock(m_lock);
    return m_downloadProgressField->get();
}

void VNHTTPRequest::setDownloadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate)
{
    std::lock_guard lock(m_lock);
    m_downloadProgressField->set(delegate);
    performOnReceiver(m_downloadProgressField, [](VNProgressDelegate& d) { d.setMaxValue(1.0); });
}

void VNHTTPRequest::setBytesReceivedBlock(AmountBlock block) { std::lock_guard lock(m_lock); m_bytesReceivedBlock = std::move(block); }
void VNHTTPRequest::setBytesSentBlock(AmountBlock block) { std::lock_guard lock(m_lock); m_bytesSentBlock = std::move(block); }
void VNHTTPRequest::setDownloadSizeIncrementedBlock(SizeBlock block) { std::lock_guard lock(m_lock); m_downloadSizeIncrementedBlock = std::move(block); }
void VNHTTPRequest::setUploadSizeIncrementedBlock(SizeBlock block) { std::lock_guard lock(m_lock); m_uploadSizeIncrementedBlock = std::move(block); }

void VNHTTPRequest::performOnReceiver(const std::shared_ptr<VNProgressReceiverField>& field, std::function<void(VNProgressDelegate&)> call)
{
    if (!field || !field->get())
        return;
    MainThread::perform([field, call = std::move(call)] {
        if (auto receiver = field->get())
            call(*receiver);
    },
        MainThread::isCurrent());
}

void VNHTTPRequest::updateProgressIndicator(const std::shared_ptr<VNProgressReceiverField>& field, qint64 progress, qint64 total, bool complete)
{
    std::lock_guard lock(progressLock());
    const double value = VNProgressArithmetic::fraction(progress, total, complete);
    performOnReceiver(field, [value](VNProgressDelegate& d) { d.setDoubleValue(value); });
}

// The queue first, then the receiver of that direction; both read when the
// message runs.
void VNHTTPRequest::sendProgress(void (VNProgressDelegate::*call)(VNHTTPRequest&, qint64),
    const std::shared_ptr<VNProgressReceiverField>& field, qint64 amount)
{
    performOnMainThread([call, field, amount](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto queue = std::dynamic_pointer_cast<VNProgressDelegate>(r.m_queue);
        lock.unlock();
        if (queue)
            ((*queue).*call)(r, amount);
        if (auto receiver = field->get())
            ((*receiver).*call)(r, amount);
    });
}

// ---- updates ----

void VNHTTPRequest::updateProgressIndicators()
{
    if (isHEADCompanion())
        return;
    if (!VNProgressArithmetic::shouldUpdate(m_showAccurateProgress, m_complete, m_updatedProgress))
        return;
    updateUploadProgress();
    updateDownloadProgress();
}

void VNHTTPRequest::updateUploadProgress()
{
    if (m_cancelled)
        return;
    VNProgressArithmetic::UploadCounters counters { qint64(m_totalBytesSent), qint64(m_lastBytesSent), qint64(m_postLength),
        qint64(m_uploadBufferSize), m_updatedProgress };
    const auto step = VNProgressArithmetic::uploadStep(counters, m_showAccurateProgress, m_complete);
    m_uploadBufferSize = quint64(counters.uploadBufferSize);
    m_lastBytesSent = quint64(counters.lastBytesSent);
    m_updatedProgress = counters.updatedProgress;
    if (!step)
        return;
    if (step->sizeIncrement != 0)
        incrementUploadSizeBy(step->sizeIncrement);
    if (!step->report)
        return;
    sendProgress(&VNProgressDelegate::requestDidSendBytes, m_uploadProgressField, step->amount);
    updateProgressIndicator(m_uploadProgressField, qint64(m_totalBytesSent) - qint64(m_uploadBufferSize),
        qint64(m_postLength) - qint64(m_uploadBufferSize), m_complete);
    const qint64 amount = step->amount, total = step->blockTotal;
    performOnMainThread([amount, total](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto block = r.m_bytesSentBlock;
        lock.unlock();
        if (block)
            block(amount, total);
    });
}

void VNHTTPRequest::updateDownloadProgress()
{
    if (!m_haveReadResponseHeaders || m_needsRedirect)
        return;
    VNProgressArithmetic::DownloadCounters counters { qint64(m_totalBytesRead), qint64(m_lastBytesRead), qint64(m_contentLength),
        qint64(m_partialDownloadSize), m_updatedProgress };
    const auto step = VNProgressArithmetic::downloadStep(counters, m_showAccurateProgress, m_complete);
    m_updatedProgress = counters.updatedProgress;
    if (!step || !step->report)
        return;
    m_lastBytesRead = quint64(counters.lastBytesRead);
    sendProgress(&VNProgressDelegate::requestDidReceiveBytes, m_downloadProgressField, step->amount);
    updateProgressIndicator(m_downloadProgressField, counters.totalBytesRead + counters.partialDownloadSize, step->blockTotal, m_complete);
    const qint64 amount = step->amount, total = step->blockTotal;
    performOnMainThread([amount, total](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto block = r.m_bytesReceivedBlock;
        lock.unlock();
        if (block)
            block(amount, total);
    });
}

void VNHTTPRequest::incrementUploadSizeBy(qint64 amount)
{
    sendProgress(&VNProgressDelegate::requestIncrementUploadSizeBy, m_uploadProgressField, amount);
    performOnMainThread([amount](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto block = r.m_uploadSizeIncrementedBlock;
        lock.unlock();
        if (block)
            block(amount);
    });
}

void VNHTTPRequest::incrementDownloadSizeBy(qint64 amount)
{
    sendProgress(&VNProgressDelegate::requestIncrementDownloadSizeBy, m_downloadProgressField, amount);
    performOnMainThread([amount](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto block = r.m_downloadSizeIncrementedBlock;
        lock.unlock();
        if (block)
            block(amount);
    });
}

// Before a restart that had sent part of the body: what was reported as
// sent is taken back, so the sums stay right when it is sent again.
void VNHTTPRequest::removeUploadProgressSoFar()
{
    const qint64 sent = qint64(m_totalBytesSent);
    const qint64 total = qint64(m_postLength);
    sendProgress(&VNProgressDelegate::requestDidSendBytes, m_uploadProgressField, -sent);
    updateProgressIndicator(m_uploadProgressField, 0, total);
    performOnMainThread([sent, total](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto block = r.m_bytesSentBlock;
        lock.unlock();
        if (block)
            block(-sent, total);
    });
}

// The totals a start adds, and indicators back at 0.
void VNHTTPRequest::resetProgressOnStart()
{
    if (isHEADCompanion())
        return;
    if (m_shouldResetUploadProgress) {
        incrementUploadSizeBy(m_showAccurateProgress ? qint64(m_postLength) : 1);
        updateProgressIndicator(m_uploadProgressField, 0, 1);
    }
    if (m_shouldResetDownloadProgress && m_partialDownloadSize == 0)
        updateProgressIndicator(m_downloadProgressField, 0, 1);
}

// ---- bandwidth ----

void VNHTTPRequest::setMaxBandwidthPerSecond(quint64 bytes) { VNBandwidthMeter::shared().setMaxBandwidthPerSecond(bytes); }
quint64 VNHTTPRequest::maxBandwidthPerSecond() { return VNBandwidthMeter::shared().maxBandwidthPerSecond(); }
bool VNHTTPRequest::isBandwidthThrottled() { return VNBandwidthMeter::shared().isBandwidthThrottled(); }
quint64 VNHTTPRequest::averageBandwidthUsedPerSecond() { return VNBandwidthMeter::shared().averageBandwidthUsedPerSecond(); }

bool VNHTTPRequest::throttleWakeUpPending() const
{
    return VNBandwidthMeter::shared().isWakeUpPending();
}

void VNHTTPRequest::performThrottling()
{
    if (!m_readStream || m_complete || m_cancelled)
        return;
    switch (VNBandwidthMeter::shared().throttleStream(m_readStreamIsScheduled)) {
    case VNBandwidthMeter::StreamAction::Keep:
        // A body held back goes on once the budget allows.
        if (m_readStreamIsScheduled && m_readStream->isBodyWaiting() && !throttleWakeUpPending())
            m_readStream->resumeBody();
        break;
    case VNBandwidthMeter::StreamAction::Unschedule:
        unscheduleReadStream();
        break;
    case VNBandwidthMeter::StreamAction::Schedule:
        scheduleReadStream();
        m_readStream->resumeBody();
        // Bytes the stream already holds raise no new event of their own.
        if (m_readStream->hasBytesAvailable()) {
            std::weak_ptr<VNHTTPRequest> weak = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
            performOnRequestThread([weak] {
                if (auto self = weak.lock())
                    self->handleNetworkEvent(Stream::HasBytesAvailable);
            });
        }
        break;
    }
}

qint64 VNHTTPRequest::throttledReadLength(qint64 normalLength)
{
    return VNBandwidthMeter::shared().readLength(normalLength);
}

void VNHTTPRequest::countBytesRead(qint64 count)
{
    if (count > 0)
        VNBandwidthMeter::shared().incrementBandwidthUsedInLastSecond(quint64(count));
}

// The body goes out through the throttled stream; it must be exactly as
// long as announced, so a source that ends early or fails stops the
// exchange instead of sending less.
std::optional<VNHTTPRequest::Stream::BodySource> VNHTTPRequest::throttledBodySource(std::unique_ptr<VNInputStream> input)
{
    if (!input || !input->open())
        return std::nullopt;
    std::shared_ptr<VNInputStream> stream = std::move(input);
    auto remaining = std::make_shared<qint64>(qint64(m_postLength));
    auto throttle = bodyThrottle();
    return Stream::BodySource([stream, remaining, throttle](char* buffer, qint64 maxLength) -> qint64 {
        if (*remaining <= 0)
            return 0;
        // With the second's budget spent nothing goes out (not a byte at a
        // time): the stream waits until the throttle lets it go on.
        if (VNBandwidthMeter::shared().uploadMustWait()) {
            throttle();
            return Stream::BodyNotReady;
        }
        const qint64 n = stream->read(buffer, std::min(maxLength, *remaining));
        if (n <= 0)
            return -1;
        *remaining -= n;
        return n;
    });
}

// What a body read asks of the request: throttle. The read happens inside
// the stream's own work, so the step runs from a fresh turn of the loop;
// many reads in a row ask for it once.
std::function<void()> VNHTTPRequest::bodyThrottle()
{
    std::weak_ptr<VNHTTPRequest> weak = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    auto pending = m_throttlePending;
    return [weak, pending] {
        auto self = weak.lock();
        if (!self || pending->exchange(true))
            return;
        self->performOnRequestThread([weak, pending] {
            pending->store(false);
            auto request = weak.lock();
            if (!request)
                return;
            std::lock_guard lock(request->m_lock);
            request->performThrottling();
        });
    };
}
