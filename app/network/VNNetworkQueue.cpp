#include "VNNetworkQueue.h"

#include "VNHTTPRequest.h"
#include "VNNetworkQueueException.h"

class VNNetworkQueue::Relay : public VNHTTPRequestDelegate, public VNProgressDelegate {
public:
    explicit Relay(VNNetworkQueue* queue)
        : m_queue(queue)
    {
    }
    void detach()
    {
        std::lock_guard lock(m_lock);
        m_queue = nullptr;
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
        return m_queue && bool(m_queue->m_requestWillRedirect);
    }
    void requestWillRedirect(VNHTTPRequest& r, const QUrl& url) override { with([&](VNNetworkQueue& q) { q.requestWillRedirect(r, url); }); }
    bool handlesAuthentication() const override
    {
        std::lock_guard lock(m_lock);
        const auto delegate = m_queue ? m_queue->delegate() : nullptr;
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
        std::lock_guard lock(m_lock);
        if (m_queue)
            f(*m_queue);
    }

    mutable std::recursive_mutex m_lock;
    VNNetworkQueue* m_queue;
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
    m_delegate.reset();
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
    q->m_delegate = m_delegate;
    q->m_requestDidStart = m_requestDidStart;
    q->m_requestDidReceiveResponseHeaders = m_requestDidReceiveResponseHeaders;
    q->m_requestWillRedirect = m_requestWillRedirect;
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

void VNNetworkQueue::requestStarted(VNHTTPRequest& request)
{
    if (m_requestDidStart)
        m_requestDidStart(request);
}

void VNNetworkQueue::requestDidReceiveResponseHeaders(VNHTTPRequest& request, const platform::HTTPHeaderFields& headers)
{
    if (m_requestDidReceiveResponseHeaders)
        m_requestDidReceiveResponseHeaders(request, headers);
}

void VNNetworkQueue::requestWillRedirect(VNHTTPRequest& request, const QUrl& url)
{
    if (m_requestWillRedirect)
        m_requestWillRedirect(request, url);
}

void VNNetworkQueue::requestFinished(VNHTTPRequest& request)
{
    int left;
    {
        std::lock_guard lock(m_countLock);
        left = --m_requestsCount;
    }
    if (m_requestDidFinish)
        m_requestDidFinish(request);
    if (left == 0 && m_queueDidFinish)
        m_queueDidFinish(*this);
}

void VNNetworkQueue::requestFailed(VNHTTPRequest& request)
{
    int left;
    {
        std::lock_guard lock(m_countLock);
        left = --m_requestsCount;
    }
    if (m_requestDidFail)
        m_requestDidFail(request);
    if (left == 0 && m_queueDidFinish)
        m_queueDidFinish(*this);
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
