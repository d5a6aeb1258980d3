#include "VNHTTPRequest.h"

#include "VNDataDecompressor.h"

#include "platform/network/MainThread.h"
#include "platform/network/NetworkThread.h"
#include "platform/network/OperationQueue.h"
#include "platform/network/RunLoop.h"
#include "platform/network/RunLoopTimer.h"

#include <exception>
#include <utility>

using platform::MainThread;
using platform::NetworkThread;
using platform::RunLoop;
using platform::RunLoopTimer;

const QString VNHTTPRequest::RunLoopMode = QStringLiteral("VNHTTPRequestRunLoopMode");

namespace {
// Class-wide settings that any thread may read or change.
std::atomic<double> defaultTimeOut { 10.0 };
std::atomic<bool> updatesActivityIndicator { true };

constexpr auto StatusInterval = std::chrono::milliseconds(250);
} // namespace

VNError VNHTTPRequest::requestError(ErrorCode code, const QString& message)
{
    return VNError::make(QString::fromLatin1(VNHTTPRequestErrorDomain), code, message);
}

std::shared_ptr<VNHTTPRequest> VNHTTPRequest::requestWithURL(const QUrl& url)
{
    return std::make_shared<VNHTTPRequest>(url);
}

VNHTTPRequest::VNHTTPRequest(const QUrl& url)
    : m_url(url)
    , m_runLoopMode(RunLoop::defaultMode)
    , m_timeOutSeconds(defaultTimeOut.load())
{
}

VNHTTPRequest::~VNHTTPRequest()
{
    // The stream and the timer point back at nothing of ours (they hold
    // weak references), so dropping them is all that is needed; blocks
    // that capture main-thread objects are let go on the main thread.
    if (m_statusTimer)
        m_statusTimer->invalidate();
    if (m_readStream) {
        m_readStream->setClient(0, nullptr);
        if (!m_connectionCanBeReused)
            m_readStream->close();
    }
    releaseBlocksOnMainThread();
}

namespace {
std::mutex& timeSourceLock()
{
    static std::mutex lock;
    return lock;
}
VNHTTPRequest::TimeSource& timeSource()
{
    static VNHTTPRequest::TimeSource source;
    return source;
}
} // namespace

void VNHTTPRequest::setTimeSource(TimeSource source)
{
    std::lock_guard lock(timeSourceLock());
    timeSource() = std::move(source);
}

VNHTTPRequest::Clock::time_point VNHTTPRequest::now()
{
    std::lock_guard lock(timeSourceLock());
    return timeSource() ? timeSource()() : Clock::now();
}

double VNHTTPRequest::defaultTimeOutSeconds() { return defaultTimeOut.load(); }
void VNHTTPRequest::setDefaultTimeOutSeconds(double seconds) { defaultTimeOut.store(seconds); }
void VNHTTPRequest::setShouldUpdateNetworkActivityIndicator(bool on) { updatesActivityIndicator.store(on); }
bool VNHTTPRequest::isNetworkInUse() { return VNConnectionPool::shared().runningRequestCount() > 0; }

platform::OperationQueue& VNHTTPRequest::sharedQueue()
{
    static auto* queue = [] {
        // Never destroyed: its workers may still be starting requests as the
        // process exits.
        auto* q = new platform::OperationQueue();
        q->setMaxConcurrentOperationCount(4);
        return q;
    }();
    return *queue;
}

// ---- accessors under the request lock ----

QUrl VNHTTPRequest::url() const
{
    std::lock_guard lock(m_lock);
    return m_url;
}

void VNHTTPRequest::setURL(const QUrl& url)
{
    std::lock_guard lock(m_lock);
    if (url == m_url)
        return;
    m_url = url;
    m_message = platform::HTTPMessage();
    m_redirectURL = QUrl();
    releaseAuthentication();
}

QUrl VNHTTPRequest::originalURL() const
{
    std::lock_guard lock(m_lock);
    return m_originalURL;
}

QString VNHTTPRequest::requestMethod() const
{
    std::lock_guard lock(m_lock);
    return m_requestMethod;
}

std::shared_ptr<VNHTTPRequestDelegate> VNHTTPRequest::delegate() const
{
    std::lock_guard lock(m_lock);
    return m_delegate.lock();
}

void VNHTTPRequest::setDelegate(const std::shared_ptr<VNHTTPRequestDelegate>& delegate)
{
    std::lock_guard lock(m_lock);
    m_delegate = delegate;
}

std::shared_ptr<VNHTTPRequestDelegate> VNHTTPRequest::queue() const
{
    std::lock_guard lock(m_lock);
    return m_queue;
}

void VNHTTPRequest::setQueue(const std::shared_ptr<VNHTTPRequestDelegate>& queue)
{
    std::lock_guard lock(m_lock);
    m_queue = queue;
}

void VNHTTPRequest::setStartedBlock(Block block) { std::lock_guard lock(m_lock); m_startedBlock = std::move(block); }
void VNHTTPRequest::setHeadersReceivedBlock(HeadersBlock block) { std::lock_guard lock(m_lock); m_headersReceivedBlock = std::move(block); }
void VNHTTPRequest::setCompletionBlock(Block block) { std::lock_guard lock(m_lock); m_completionBlock = std::move(block); }
void VNHTTPRequest::setFailedBlock(Block block) { std::lock_guard lock(m_lock); m_failureBlock = std::move(block); }
void VNHTTPRequest::setDataReceivedBlock(DataBlock block) { std::lock_guard lock(m_lock); m_dataReceivedBlock = std::move(block); }
void VNHTTPRequest::setRequestRedirectedBlock(Block block) { std::lock_guard lock(m_lock); m_requestRedirectedBlock = std::move(block); }

std::optional<VNError> VNHTTPRequest::error() const
{
    std::lock_guard lock(m_lock);
    return m_error;
}

bool VNHTTPRequest::isExecuting() const
{
    std::lock_guard lock(m_lock);
    return m_inProgress;
}

bool VNHTTPRequest::isFinished() const
{
    std::lock_guard lock(m_lock);
    return m_finished;
}

bool VNHTTPRequest::isCancelled() const
{
    std::lock_guard lock(m_lock);
    return m_cancelled;
}

// ---- starting ----

void VNHTTPRequest::startAsynchronous()
{
    sharedQueue().addOperation(shared_from_this());
}

void VNHTTPRequest::start()
{
    {
        std::lock_guard lock(m_lock);
        m_inProgress = true;
    }
    setExecuting(true);
    auto self = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    NetworkThread::shared().perform([self] { self->main(); });
}

void VNHTTPRequest::startSynchronous()
{
    RunLoop& loop = RunLoop::current();
    {
        std::lock_guard lock(m_lock);
        m_isSynchronous = true;
        m_runLoopMode = RunLoopMode;
        m_inProgress = true;
    }
    setExecuting(true);
    if (!isCancelled() && !m_complete) {
        main();
        // Served one event at a time in the private mode, so only this
        // request's stream and timer run here; the request's own time-out
        // ends the wait.
        while (!m_complete) {
            if (loop.runMode(m_runLoopMode, std::chrono::seconds(1), true) == RunLoop::RunResult::Finished && !m_complete)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    {
        std::lock_guard lock(m_lock);
        m_inProgress = false;
    }
    setExecuting(false);
}

void VNHTTPRequest::guarded(const std::function<void()>& step)
{
    // Nothing may escape into the run loop: that would end the network
    // thread and every request on it.
    try {
        step();
    } catch (const std::exception& e) {
        VNError error = requestError(UnhandledExceptionError, QString::fromLocal8Bit(typeid(e).name()));
        error.userInfo.insert(QStringLiteral("NSLocalizedFailureReason"), QString::fromLocal8Bit(e.what()));
        error.underlyingError = std::make_shared<VNError>(requestError(UnhandledExceptionError, QString::fromLocal8Bit(e.what())));
        failWithError(error);
    } catch (...) {
        failWithError(requestError(UnhandledExceptionError, QStringLiteral("Unknown exception")));
    }
}

void VNHTTPRequest::main()
{
    std::lock_guard lock(m_lock);
    m_requestLoop = &RunLoop::current();
    m_requestLoopSerial = m_requestLoop->serial();
    guarded([this] { runMain(); });
}

void VNHTTPRequest::runMain()
{
    if (m_error) {
        m_complete = true;
        markAsFinished();
        return;
    }
    m_complete = false;
    m_didUseCachedResponse = false;
    const QString scheme = m_url.scheme().toLower();
    if (m_url.isEmpty() || !m_url.isValid() || m_url.host().isEmpty()
        || (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))) {
        failWithError(requestError(UnableToCreateRequestErrorType, QStringLiteral("Unable to create request (bad url?)")));
        return;
    }
    if (!isHEADCompanion()) {
        buildPostBody();
        if (m_error)
            return;
    }
    // Only plain GETs are answered from the download cache.
    if (m_requestMethod != QStringLiteral("GET"))
        m_downloadCache = nullptr;
    m_message = platform::HTTPMessage::request(m_requestMethod, m_url,
        m_useHTTPVersionOne ? platform::HTTPMessage::Version1_0 : platform::HTTPMessage::Version1_1);
    if (auto main = m_mainRequest.lock())
        main->buildRequestHeaders();
    buildRequestHeaders();
    if (useCacheOnStart())
        return;
    // Credentials belong to the origin they were given for.
    if (m_originalURL.isEmpty() || (m_originalURL.scheme() == m_url.scheme() && m_originalURL.host() == m_url.host()
                                       && m_originalURL.port() == m_url.port()))
        applyCredentialsBeforeChallenge();
    for (const auto& [name, value] : m_requestHeaders.fields()) {
        if (!m_message.setHeaderField(name, value)) {
            failWithError(requestError(UnableToCreateRequestErrorType, QStringLiteral("Unable to create request (bad url?)")));
            return;
        }
    }
    if (!configureProxies())
        return;
    startRequest();
}

// ---- the status timer ----

void VNHTTPRequest::startStatusTimer()
{
    stopStatusTimer();
    std::weak_ptr<VNHTTPRequest> weak = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    m_statusTimer = RunLoopTimer::create(StatusInterval, true, [weak](RunLoopTimer& timer) {
        auto self = weak.lock();
        if (!self) {
            timer.invalidate();
            return;
        }
        self->checkRequestStatus();
        std::lock_guard lock(self->m_lock);
        if (!self->m_inProgress || self->m_complete)
            self->stopStatusTimer();
    });
    m_statusTimer->schedule(RunLoop::current(), m_runLoopMode);
}

void VNHTTPRequest::stopStatusTimer()
{
    if (m_statusTimer) {
        m_statusTimer->invalidate();
        m_statusTimer.reset();
    }
}

bool VNHTTPRequest::shouldTimeOut() const
{
    if (!m_readStream || !m_readStreamIsScheduled || !m_lastActivityTime || m_timeOutSeconds <= 0)
        return false;
    const double idle = std::chrono::duration<double>(now() - *m_lastActivityTime).count();
    if (idle <= m_timeOutSeconds)
        return false;
    if (m_postLength == 0)
        return true;
    // While a body goes out the socket's buffer hides progress for a while.
    if (m_uploadBufferSize > 0 && m_totalBytesSent > m_uploadBufferSize)
        return true;
    return idle > m_timeOutSeconds * 1.5;
}

void VNHTTPRequest::countTransferredBytes(quint64 count)
{
    m_stretchBytes += count;
}

bool VNHTTPRequest::transferTooSlow()
{
    if (!m_readStream || !m_stretchStart)
        return false;
    const auto t = now();
    if (t - *m_stretchStart < SlowTransferStretch)
        return false;
    const bool tooSlow = m_stretchBytes > 0 && m_stretchBytes < MinimumBytesPerStretch;
    m_stretchStart = t;
    m_stretchBytes = 0;
    return tooSlow;
}

void VNHTTPRequest::checkRequestStatus()
{
    std::unique_lock lock(m_lock);
    if (m_cancelled || m_complete)
        return;
    guarded([&] {
        performThrottling();
        if (transferTooSlow()) {
            failWithError(requestError(RequestTimedOutErrorType, QStringLiteral("The request timed out")));
            cancelLoad();
            m_complete = true;
            return;
        }
        if (!shouldTimeOut()) {
            if (m_readStream && m_postLength > 0) {
                m_lastBytesSent = m_totalBytesSent;
                m_totalBytesSent = quint64(std::max<qint64>(m_readStream->requestBytesWritten(), 0));
                if (m_totalBytesSent > m_lastBytesSent) {
                    m_lastActivityTime = now();
                    countTransferredBytes(m_totalBytesSent - m_lastBytesSent);
                }
            }
            if (m_readStream)
                updateProgressIndicators();
            return;
        }
        if (m_numberOfTimesToRetryOnTimeout > m_retryCount) {
            updatePartialDownloadSize();
            if (m_partialDownloadSize > 0)
                m_message.setHeaderField(QStringLiteral("Range"), QStringLiteral("bytes=%1-").arg(m_partialDownloadSize));
            ++m_retryCount;
            // The silent connection is of no further use to anyone.
            m_connectionCanBeReused = false;
            if (m_connectionInfo) {
                VNConnectionPool::shared().remove(m_connectionInfo);
                m_connectionInfo.reset();
            }
            m_willRetryRequest = true;
            cancelLoad();
            m_willRetryRequest = false;
            startRequest();
            return;
        }
        failWithError(requestError(RequestTimedOutErrorType, QStringLiteral("The request timed out")));
        cancelLoad();
        m_complete = true;
    });
}

// ---- outcomes ----

void VNHTTPRequest::markAsFinished()
{
    auto keep = shared_from_this();
    bool wasFinished, wasInProgress;
    {
        std::lock_guard lock(m_lock);
        m_message = platform::HTTPMessage();
        releaseAuthentication();
        stopStatusTimer();
        wasFinished = m_finished;
        wasInProgress = m_inProgress;
        m_inProgress = false;
        m_finished = true;
    }
    if (wasInProgress)
        setExecuting(false);
    if (!wasFinished)
        setFinished(true);
}

void VNHTTPRequest::requestFinished()
{
    if (m_error || isHEADCompanion())
        return;
    if (m_isPACFileRequest) {
        if (m_PACFinished)
            m_PACFinished(*this);
        return;
    }
    notifyOnMainThread(&VNHTTPRequestDelegate::requestFinished, &VNHTTPRequest::m_completionBlock);
}

void VNHTTPRequest::failWithError(const VNError& error)
{
    std::unique_lock lock(m_lock);
    m_complete = true;
    if (error.code != AuthenticationErrorType && error.code != TooMuchRedirectionErrorType) {
        if (m_connectionInfo) {
            VNConnectionPool::shared().remove(m_connectionInfo);
            m_connectionInfo.reset();
        }
        m_connectionCanBeReused = false;
        destroyReadStream();
    }
    if (m_connectionCanBeReused && m_connectionInfo)
        VNConnectionPool::shared().release(m_connectionInfo, m_persistentConnectionTimeoutSeconds);
    if (m_cancelled || m_error)
        return;
    // A cancel is the caller's wish, not a failed load: no stored answer
    // stands in for it.
    const bool cancelled = error.code == RequestCancelledErrorType && error.domain == QLatin1String(VNHTTPRequestErrorDomain);
    if (!cancelled && useCacheAfterFailure())
        return;
    m_error = error;
    auto main = m_mainRequest.lock();
    if (main) {
        main->failWithError(error);
    } else if (m_isPACFileRequest) {
        if (m_PACFinished)
            m_PACFinished(*this);
    } else {
        reportFailure();
    }
    if (m_inProgress)
        markAsFinished();
}

// The delegate first, then the block, then the queue: each read under the
// lock when the call runs, so one cleared meanwhile is not called.
void VNHTTPRequest::notifyOnMainThread(void (VNHTTPRequestDelegate::*call)(VNHTTPRequest&), Block VNHTTPRequest::*block)
{
    performOnMainThread([call, block](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto delegate = r.m_delegate.lock();
        auto queue = r.m_queue;
        auto thenBlock = r.*block;
        lock.unlock();
        if (delegate)
            ((*delegate).*call)(r);
        if (thenBlock)
            thenBlock();
        if (queue)
            ((*queue).*call)(r);
    });
}

void VNHTTPRequest::reportFailure()
{
    notifyOnMainThread(&VNHTTPRequestDelegate::requestFailed, &VNHTTPRequest::m_failureBlock);
}

// ---- cancelling ----

void VNHTTPRequest::cancel()
{
    auto self = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    performOnRequestThread([self] { self->performCancel(); });
}

void VNHTTPRequest::performCancel()
{
    bool announce = false;
    {
        std::lock_guard lock(m_lock);
        if (m_cancelled || m_complete)
            return;
        guarded([this] {
            failWithError(requestError(RequestCancelledErrorType, QStringLiteral("The request was cancelled")));
            m_complete = true;
            cancelLoad();
        });
        m_cancelled = true;
        announce = true;
        if (m_inProgress)
            markAsFinished();
    }
    if (announce)
        notify(Change::Cancelled);
}

void VNHTTPRequest::clearDelegatesAndCancel()
{
    {
        std::lock_guard lock(m_lock);
        m_delegate.reset();
        m_queue.reset();
        m_uploadProgressField->set(nullptr);
        m_downloadProgressField->set(nullptr);
        releaseBlocksOnMainThread();
    }
    cancel();
}

void VNHTTPRequest::releaseBlocksOnMainThread()
{
    // All twelve: a block left behind could run after its owner is gone.
    struct Blocks {
        Block started, completion, failure, redirected, authentication, proxyAuthentication;
        HeadersBlock headers;
        DataBlock data;
        AmountBlock bytesReceived, bytesSent;
        SizeBlock downloadSize, uploadSize;
        bool any() const
        {
            return started || completion || failure || redirected || authentication || proxyAuthentication || headers || data
                || bytesReceived || bytesSent || downloadSize || uploadSize;
        }
    };
    auto blocks = std::make_shared<Blocks>(Blocks { std::exchange(m_startedBlock, nullptr),
        std::exchange(m_completionBlock, nullptr), std::exchange(m_failureBlock, nullptr),
        std::exchange(m_requestRedirectedBlock, nullptr), std::exchange(m_authenticationNeededBlock, nullptr),
        std::exchange(m_proxyAuthenticationNeededBlock, nullptr), std::exchange(m_headersReceivedBlock, nullptr),
        std::exchange(m_dataReceivedBlock, nullptr), std::exchange(m_bytesReceivedBlock, nullptr),
        std::exchange(m_bytesSentBlock, nullptr), std::exchange(m_downloadSizeIncrementedBlock, nullptr),
        std::exchange(m_uploadSizeIncrementedBlock, nullptr) });
    if (!blocks->any())
        return;
    // What the blocks captured is let go where it was made.
    MainThread::perform([blocks]() mutable { blocks.reset(); }, MainThread::isCurrent());
}

// ---- delivery ----

void VNHTTPRequest::performOnMainThread(std::function<void(VNHTTPRequest&)> work)
{
    auto self = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    MainThread::perform([self, work = std::move(work)] { work(*self); }, MainThread::isCurrent());
}

void VNHTTPRequest::performOnRequestThread(std::function<void()> work)
{
    quint64 loop;
    QString mode;
    bool synchronous;
    {
        std::lock_guard lock(m_lock);
        loop = m_requestLoopSerial;
        mode = m_runLoopMode;
        synchronous = m_isSynchronous;
    }
    if (loop == 0 || !synchronous) {
        NetworkThread::shared().perform(std::move(work));
        return;
    }
    // Queued even on the request's own thread: the work must not run
    // inside the stream event or callback that asked for it. A caller's
    // thread that has ended took its run with it (the request was complete
    // by then), so there is nothing left to do.
    RunLoop::performOnLoop(loop, std::move(work), QStringList { mode });
}

void VNHTTPRequest::sendStartedCallback()
{
    if (m_error || isHEADCompanion())
        return;
    notifyOnMainThread(&VNHTTPRequestDelegate::requestStarted, &VNHTTPRequest::m_startedBlock);
}

void VNHTTPRequest::sendHeadersReceivedCallback()
{
    if (m_error || isHEADCompanion())
        return;
    const platform::HTTPHeaderFields headers = m_responseHeaders;
    performOnMainThread([headers](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto delegate = r.m_delegate.lock();
        auto queue = r.m_queue;
        auto block = r.m_headersReceivedBlock;
        lock.unlock();
        if (delegate)
            delegate->requestDidReceiveResponseHeaders(r, headers);
        if (block)
            block(headers);
        if (queue)
            queue->requestDidReceiveResponseHeaders(r, headers);
    });
}

void VNHTTPRequest::sendRedirectedCallback()
{
    if (m_error || isHEADCompanion())
        return;
    performOnMainThread([](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto delegate = r.m_delegate.lock();
        auto block = r.m_requestRedirectedBlock;
        lock.unlock();
        if (delegate)
            delegate->requestRedirected(r);
        if (block)
            block();
    });
}

void VNHTTPRequest::sendWillRedirectCallback(const QUrl& url)
{
    if (m_error || isHEADCompanion())
        return;
    performOnMainThread([url](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto delegate = r.m_delegate.lock();
        auto queue = r.m_queue;
        lock.unlock();
        if (delegate && delegate->wantsToConfirmRedirects())
            delegate->requestWillRedirect(r, url);
        if (queue && queue->wantsToConfirmRedirects())
            queue->requestWillRedirect(r, url);
    });
}

bool VNHTTPRequest::wantsReceivedData() const
{
    auto delegate = m_delegate.lock();
    return (delegate && delegate->wantsReceivedData()) || m_dataReceivedBlock;
}

void VNHTTPRequest::sendDataReceivedCallback(const QByteArray& data)
{
    performOnMainThread([data](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        auto delegate = r.m_delegate.lock();
        auto block = r.m_dataReceivedBlock;
        lock.unlock();
        if (delegate && delegate->wantsReceivedData())
            delegate->requestDidReceiveData(r, data);
        if (block)
            block(data);
    });
}
