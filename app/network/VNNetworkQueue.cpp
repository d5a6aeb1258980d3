#include "VNNetworkQueue.h"

#include "VNHTTPRequest.h"
#include "VNNetworkQueueException.h"

#include <QScopeGuard>

#include <algorithm>
#include <condition_variable>
#include <thread>
#include <vector>

// Events reach the queue on the main thread, without a lock held while the
// queue and its callbacks run: a callback may take a request's lock, which
// that request's thread holds while it asks here whether redirects are
// confirmed or authentication handled.
class VNNetworkQueue::Relay : public VNHTTPRequestDelegate, public VNProgressDelegate {
public:
    explicit Relay(VNNetworkQueue* queue)
        : m_queue(queue)
    {
    }
    // Later events find no queue. One being delivered on another thread
    // still uses the queue and is waited for; one on this thread (the
    // queue destroyed from its own callback) cannot be, and needs not: the
    // queue checks isAttached() before it goes on after a callback.
    void detach()
    {
        std::unique_lock lock(m_lock);
        m_queue = nullptr;
        const auto self = std::this_thread::get_id();
        m_delivered.wait(lock, [&] {
            return std::all_of(m_deliveringOn.begin(), m_deliveringOn.end(), [&](std::thread::id id) { return id == self; });
        });
    }
    bool isAttached() const
    {
        std::lock_guard lock(m_lock);
        return m_queue != nullptr;
    }
    void setConfirmsRedirects(bool on)
    {
        std::lock_guard lock(m_lock);
        m_confirmsRedirects = on;
    }
    void setDelegate(const std::weak_ptr<VNHTTPRequestDelegate>& delegate)
    {
        std::lock_guard lock(m_lock);
        m_delegate = delegate;
    }

    void requestStarted(VNHTTPRequest& r) override { with([&](VNNetworkQueue& q) { q.requestStarted(r); }); }
    void requestDidReceiveResponseHeaders(VNHTTPRequest& r, const platform::HTTPHeaderFields& h) override
    {
        with([&](VNNetworkQueue& q) { q.requestDidReceiveResponseHeaders(r, h); });
    }
    void requestFinished(VNHTTPRequest& r) override { with([&](VNNetworkQueue& q) { q.requestFinished(r); }); }
    void requestFailed(VNHTTPRequest& r) override { with([&](VNNetworkQueue& q) { q.requestFailed(r); }); }
    bool wantsToConfirmRedirects() const override
    {
        std::lock_guard lock(m_lock);
        return m_queue && m_confirmsRedirects;
    }
    void requestWillRedirect(VNHTTPRequest& r, const QUrl& url) override { with([&](VNNetworkQueue& q) { q.requestWillRedirect(r, url); }); }
    bool handlesAuthentication() const override
    {
        std::shared_ptr<VNHTTPRequestDelegate> delegate;
        {
            std::lock_guard lock(m_lock);
            if (m_queue)
                delegate = m_delegate.lock();
        }
        return delegate && delegate->handlesAuthentication();
    }
    void authenticationNeededForRequest(VNHTTPRequest& r) override { with([&](VNNetworkQueue& q) { q.authenticationNeededForRequest(r); }); }
    void proxyAuthenticationNeededForRequest(VNHTTPRequest& r) override
    {
        with([&](VNNetworkQueue& q) { q.proxyAuthenticationNeededForRequest(r); });
    }

    void requestDidReceiveBytes(VNHTTPRequest& r, qint64 n) override { with([&](VNNetworkQueue& q) { q.requestDidReceiveBytes(r, n); }); }
    void requestDidSendBytes(VNHTTPRequest& r, qint64 n) override { with([&](VNNetworkQueue& q) { q.requestDidSendBytes(r, n); }); }
    void requestIncrementDownloadSizeBy(VNHTTPRequest& r, qint64 n) override
    {
        with([&](VNNetworkQueue& q) { q.requestIncrementDownloadSizeBy(r, n); });
    }
    void requestIncrementUploadSizeBy(VNHTTPRequest& r, qint64 n) override
    {
        with([&](VNNetworkQueue& q) { q.requestIncrementUploadSizeBy(r, n); });
    }

private:
    template <class F>
    void with(F&& f)
    {
        VNNetworkQueue* queue;
        {
            std::lock_guard lock(m_lock);
            queue = m_queue;
            if (!queue)
                return;
            m_deliveringOn.push_back(std::this_thread::get_id());
        }
        const auto delivered = qScopeGuard([this] {
            std::lock_guard lock(m_lock);
            m_deliveringOn.erase(std::find(m_deliveringOn.begin(), m_deliveringOn.end(), std::this_thread::get_id()));
            m_delivered.notify_all();
        });
        f(*queue);
    }

    // Held only to read or change the fields below, never while calling out.
    mutable std::mutex m_lock;
    std::condition_variable m_delivered;
    std::vector<std::thread::id> m_deliveringOn;
    VNNetworkQueue* m_queue;
    bool m_confirmsRedirects = false;
    std::weak_ptr<VNHTTPRequestDelegate> m_delegate;
};

std::unique_ptr<VNNetworkQueue> VNNetworkQueue::queue()
{
    return std::make_unique<VNNetworkQueue>();
}

VNNetworkQueue::VNNetworkQueue()
    : m_relay(std::make_shared<Relay>(this))
{
    setMaxConcurrentOperationCount(4);
    setSuspended(true);
}

VNNetworkQueue::~VNNetworkQueue()
{
    m_relay->detach();
    for (const auto& operation : operations()) {
        if (auto request = std::dynamic_pointer_cast<VNHTTPRequest>(operation))
            request->setQueue(nullptr);
    }
}

void VNNetworkQueue::setDelegate(const std::shared_ptr<VNHTTPRequestDelegate>& delegate)
{
    m_delegate = delegate;
    m_relay->setDelegate(delegate);
}

void VNNetworkQueue::setRequestWillRedirectSelector(RedirectCallback callback)
{
    m_requestWillRedirect = std::move(callback);
    m_relay->setConfirmsRedirects(bool(m_requestWillRedirect));
}

void VNNetworkQueue::go()
{
    setSuspended(false);
}

void VNNetworkQueue::addOperation(const std::shared_ptr<platform::Operation>& operation)
{
    auto request = std::dynamic_pointer_cast<VNHTTPRequest>(operation);
    if (!request)
        throw VNNetworkQueueException(QStringLiteral("AttemptToAddInvalidRequest"),
            QStringLiteral("Attempted to add an object that was not an VNHTTPRequest to an VNNetworkQueue"));
    {
        std::lock_guard lock(m_countLock);
        ++m_requestsCount;
    }
    qint64 uploadSize = 1;
    if (m_showAccurateProgress) {
        request->buildPostBody();
        // Sizes are learned before anything runs, so the totals are whole
        // before the first byte arrives.
        if (request->requestMethod() == QStringLiteral("GET") && isSuspended()) {
            auto head = request->HEADRequest();
            addHEADOperation(head);
            request->addDependency(head);
            if (request->shouldResetDownloadProgress()) {
                resetProgressDelegate(m_downloadProgressField);
                request->setShouldResetDownloadProgress(false);
            }
        }
        request->buildPostBody();
        uploadSize = qint64(request->postLength());
    } else {
        std::lock_guard lock(m_countLock);
        m_totalBytesToDownload += 1;
    }
    {
        std::lock_guard lock(m_countLock);
        m_totalBytesToUpload += uploadSize;
    }
    if (request->shouldResetUploadProgress()) {
        resetProgressDelegate(m_uploadProgressField);
        request->setShouldResetUploadProgress(false);
    }
    request->setShowAccurateProgress(m_showAccurateProgress);
    request->setQueue(m_relay);
    OperationQueue::addOperation(request);
}

void VNNetworkQueue::addHEADOperation(const std::shared_ptr<platform::Operation>& operation)
{
    auto request = std::dynamic_pointer_cast<VNHTTPRequest>(operation);
    if (!request)
        return;
    request->setRequestMethod(QStringLiteral("HEAD"));
    // Above the platform's very-high priority: sizes come first.
    request->setQueuePriority(10);
    request->setShowAccurateProgress(true);
    request->setQueue(m_relay);
    OperationQueue::addOperation(request);
}

void VNNetworkQueue::cancelAllOperations()
{
    {
        std::lock_guard lock(m_countLock);
        m_bytesUploadedSoFar = m_totalBytesToUpload = m_bytesDownloadedSoFar = m_totalBytesToDownload = 0;
    }
    OperationQueue::cancelAllOperations();
}

void VNNetworkQueue::reset()
{
    cancelAllOperations();
    setDelegate(nullptr);
    m_uploadProgressField->set(nullptr);
    m_downloadProgressField->set(nullptr);
    m_requestDidStart = nullptr;
    m_requestDidReceiveResponseHeaders = nullptr;
    m_requestDidFail = nullptr;
    m_requestDidFinish = nullptr;
    m_queueDidFinish = nullptr;
    setSuspended(true);
}

std::unique_ptr<VNNetworkQueue> VNNetworkQueue::copy() const
{
    auto q = std::make_unique<VNNetworkQueue>();
    q->setDelegate(m_delegate.lock());
    q->m_requestDidStart = m_requestDidStart;
    q->m_requestDidReceiveResponseHeaders = m_requestDidReceiveResponseHeaders;
    q->setRequestWillRedirectSelector(m_requestWillRedirect);
    q->m_requestDidFinish = m_requestDidFinish;
    q->m_requestDidFail = m_requestDidFail;
    q->m_queueDidFinish = m_queueDidFinish;
    q->m_uploadProgressField->set(m_uploadProgressField->get());
    q->m_downloadProgressField->set(m_downloadProgressField->get());
    q->m_shouldCancelAllRequestsOnFailure = m_shouldCancelAllRequestsOnFailure;
    q->m_showAccurateProgress = m_showAccurateProgress;
    q->m_userInfo = m_userInfo;
    return q;
}

void VNNetworkQueue::setUploadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate)
{
    m_uploadProgressField->set(delegate);
    resetProgressDelegate(m_uploadProgressField);
}

void VNNetworkQueue::setDownloadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate)
{
    m_downloadProgressField->set(delegate);
    resetProgressDelegate(m_downloadProgressField);
}

void VNNetworkQueue::resetProgressDelegate(const std::shared_ptr<VNProgressReceiverField>& field)
{
    VNHTTPRequest::performOnReceiver(field, [](VNProgressDelegate& d) { d.setMaxValue(1.0); });
    VNHTTPRequest::performOnReceiver(field, [](VNProgressDelegate& d) { d.setDoubleValue(0.0); });
}

int VNNetworkQueue::requestsCount() const
{
    std::lock_guard lock(m_countLock);
    return m_requestsCount;
}
qint64 VNNetworkQueue::bytesUploadedSoFar() const
{
    std::lock_guard lock(m_countLock);
    return m_bytesUploadedSoFar;
}
qint64 VNNetworkQueue::totalBytesToUpload() const
{
    std::lock_guard lock(m_countLock);
    return m_totalBytesToUpload;
}
qint64 VNNetworkQueue::bytesDownloadedSoFar() const
{
    std::lock_guard lock(m_countLock);
    return m_bytesDownloadedSoFar;
}
qint64 VNNetworkQueue::totalBytesToDownload() const
{
    std::lock_guard lock(m_countLock);
    return m_totalBytesToDownload;
}

// ---- relayed events ----

// A callback may destroy the queue or replace itself: each is called from
// a copy, and after one the queue goes on only while its relay is still
// attached (the relay outlives the queue in the requests that hold it).

void VNNetworkQueue::requestStarted(VNHTTPRequest& request)
{
    if (const auto callback = m_requestDidStart)
        callback(request);
}

void VNNetworkQueue::requestDidReceiveResponseHeaders(VNHTTPRequest& request, const platform::HTTPHeaderFields& headers)
{
    if (const auto callback = m_requestDidReceiveResponseHeaders)
        callback(request, headers);
}

void VNNetworkQueue::requestWillRedirect(VNHTTPRequest& request, const QUrl& url)
{
    if (const auto callback = m_requestWillRedirect)
        callback(request, url);
}

void VNNetworkQueue::requestFinished(VNHTTPRequest& request)
{
    int left;
    {
        std::lock_guard lock(m_countLock);
        left = --m_requestsCount;
    }
    const auto relay = m_relay;
    if (const auto callback = m_requestDidFinish)
        callback(request);
    if (!relay->isAttached())
        return;
    if (const auto callback = m_queueDidFinish; left == 0 && callback)
        callback(*this);
}

void VNNetworkQueue::requestFailed(VNHTTPRequest& request)
{
    int left;
    {
        std::lock_guard lock(m_countLock);
        left = --m_requestsCount;
    }
    const auto relay = m_relay;
    if (const auto callback = m_requestDidFail)
        callback(request);
    if (!relay->isAttached())
        return;
    if (const auto callback = m_queueDidFinish; left == 0 && callback)
        callback(*this);
    if (!relay->isAttached())
        return;
    if (m_shouldCancelAllRequestsOnFailure && left > 0)
        cancelAllOperations();
}

void VNNetworkQueue::authenticationNeededForRequest(VNHTTPRequest& request)
{
    if (auto d = delegate(); d && d->handlesAuthentication())
        d->authenticationNeededForRequest(request);
}

void VNNetworkQueue::proxyAuthenticationNeededForRequest(VNHTTPRequest& request)
{
    if (auto d = delegate(); d && d->handlesAuthentication())
        d->proxyAuthenticationNeededForRequest(request);
}

void VNNetworkQueue::requestDidReceiveBytes(VNHTTPRequest&, qint64 bytes)
{
    qint64 soFar, total;
    {
        std::lock_guard lock(m_countLock);
        soFar = m_bytesDownloadedSoFar += bytes;
        total = m_totalBytesToDownload;
    }
    if (m_downloadProgressField->get())
        VNHTTPRequest::updateProgressIndicator(m_downloadProgressField, soFar, total);
}

void VNNetworkQueue::requestDidSendBytes(VNHTTPRequest&, qint64 bytes)
{
    qint64 soFar, total;
    {
        std::lock_guard lock(m_countLock);
        soFar = m_bytesUploadedSoFar += bytes;
        total = m_totalBytesToUpload;
    }
    if (m_uploadProgressField->get())
        VNHTTPRequest::updateProgressIndicator(m_uploadProgressField, soFar, total);
}

void VNNetworkQueue::requestIncrementDownloadSizeBy(VNHTTPRequest&, qint64 bytes)
{
    std::lock_guard lock(m_countLock);
    m_totalBytesToDownload += bytes;
}

void VNNetworkQueue::requestIncrementUploadSizeBy(VNHTTPRequest&, qint64 bytes)
{
    std::lock_guard lock(m_countLock);
    m_totalBytesToUpload += bytes;
}
