// The stream under a request: its body source, transport security, proxy
// choice (fixed, from the environment or from an auto-configuration
// script), kept-alive connections, tear-down and stream errors.
#include "VNHTTPRequest.h"

#include "VNBandwidthMeter.h"
#include "VNInputStream.h"
#include "VNPACScriptRunner.h"
#include "VNSystemProxySettings.h"

#include "platform/network/NetworkError.h"
#include "platform/network/OperationQueue.h"
#include "platform/network/RunLoop.h"

#include <QFileInfo>

#include <cerrno>
#include <thread>

using platform::NetworkError;
using platform::RunLoop;

namespace {
constexpr qint64 MaximumPACFileSize = VNPACScriptRunner::MaximumScriptLength;

std::mutex& queueWidthLock()
{
    static std::mutex lock;
    return lock;
}

// Widens the shared queue by one while a script is fetched, so the fetch
// never waits behind the requests that wait for it; narrows it again once,
// whichever of the fetch's end or its abandonment comes first.
std::shared_ptr<std::atomic<bool>> widenQueue()
{
    std::lock_guard lock(queueWidthLock());
    auto& queue = VNHTTPRequest::sharedQueue();
    queue.setMaxConcurrentOperationCount(queue.maxConcurrentOperationCount() + 1);
    return std::make_shared<std::atomic<bool>>(true);
}

void narrowQueue(const std::shared_ptr<std::atomic<bool>>& widened)
{
    if (!widened || !widened->exchange(false))
        return;
    std::lock_guard lock(queueWidthLock());
    auto& queue = VNHTTPRequest::sharedQueue();
    queue.setMaxConcurrentOperationCount(queue.maxConcurrentOperationCount() - 1);
}
} // namespace

quint64 VNHTTPRequest::connectionID() const
{
    std::lock_guard lock(m_lock);
    return m_connectionInfo ? m_connectionInfo->id : 0;
}

void VNHTTPRequest::setClientCertificateIdentity(const QString& chainFile, const QString& keyFile)
{
    m_clientCertificateChainFile = chainFile;
    m_clientPrivateKeyFile = keyFile;
}

void VNHTTPRequest::expirePersistentConnections()
{
    VNConnectionPool::shared().expire();
}

std::optional<VNHTTPRequest::Stream::BodySource> VNHTTPRequest::bodySourceForFile(const QString& path)
{
    return throttledBodySource(VNInputStream::inputStreamWithFileAtPath(path, VNBandwidthMeter::shared(), bodyThrottle()));
}

void VNHTTPRequest::startRequest()
{
    if (m_cancelled)
        return;
    sendStartedCallback();
    m_downloadComplete = false;
    m_complete = false;
    m_totalBytesRead = 0;
    m_lastBytesRead = 0;
    if (m_redirectCount == 0)
        m_originalURL = m_url;
    if (m_lastBytesSent > 0)
        removeUploadProgressSoFar();
    m_lastBytesSent = 0;
    m_contentLength = 0;
    m_responseHeaders = platform::HTTPHeaderFields();
    m_haveReadResponseHeaders = false;
    m_responseStatusCode = 0;
    m_authenticationNeeded = 0;
    m_connectionCanBeReused = false;
    if (m_downloadDestinationPath.isEmpty())
        m_rawResponseData.clear();
    m_inflatedFromSize = -1;
    m_readStreamIsScheduled = false;

    std::shared_ptr<Stream> stream;
    if (!m_postBodyFilePath.isEmpty() && QFileInfo::exists(m_postBodyFilePath) && m_postLength > 0) {
        const QString path = !m_compressedPostBodyFilePath.isEmpty() && QFileInfo::exists(m_compressedPostBodyFilePath)
            ? m_compressedPostBodyFilePath
            : m_postBodyFilePath;
        auto source = bodySourceForFile(path);
        if (!source) {
            failWithError(requestError(FileManagementError, QStringLiteral("Failed to read the request body from '%1'").arg(path)));
            return;
        }
        stream = Stream::create(m_message, std::move(*source));
    } else if (!m_postBody.isEmpty()) {
        const QByteArray& body = m_shouldCompressRequestBody && !m_compressedPostBody.isEmpty() ? m_compressedPostBody : m_postBody;
        auto source = throttledBodySource(VNInputStream::inputStreamWithData(body, VNBandwidthMeter::shared(), bodyThrottle()));
        if (!source) {
            failWithError(requestError(InternalErrorWhileBuildingRequestType, QStringLiteral("Unable to create read stream")));
            return;
        }
        stream = Stream::create(m_message, std::move(*source));
    } else {
        stream = Stream::create(m_message);
    }
    if (!stream) {
        failWithError(requestError(InternalErrorWhileBuildingRequestType, QStringLiteral("Unable to create read stream")));
        return;
    }

    if (m_url.scheme().toLower() == QStringLiteral("https")) {
        platform::TLSSettings tls;
        if (!m_validatesSecureCertificate) {
            tls.allowsExpiredCertificates = true;
            tls.allowsAnyRoot = true;
            tls.validatesCertificateChain = false;
            tls.checksPeerName = false;
        }
        tls.clientCertificateChainFile = m_clientCertificateChainFile;
        tls.clientPrivateKeyFile = m_clientPrivateKeyFile;
        stream->setTLSSettings(tls);
    }
    if (!m_proxyHost.isEmpty() && m_proxyPort != 0) {
        if (m_proxyType.isEmpty())
            m_proxyType = VNProxy::TypeHTTP;
        stream->setProxy(proxySettingsForMessage());
    }

    expirePersistentConnections();
    std::shared_ptr<Stream> previous;
    {
        VNConnectionPool& pool = VNConnectionPool::shared();
        auto lock = pool.lockForUpdate();
        if (m_url.host().isEmpty() || m_url.scheme().isEmpty())
            m_shouldAttemptPersistentConnection = false;
        if (m_shouldAttemptPersistentConnection) {
            if (m_connectionInfo && !pool.canKeep(m_connectionInfo, m_url, m_requestID)) {
                if (m_connectionInfo->requestID == m_requestID)
                    pool.release(m_connectionInfo, m_persistentConnectionTimeoutSeconds);
                m_connectionInfo.reset();
            }
            if (!m_connectionInfo)
                m_connectionInfo = pool.entryFor(m_url);
            previous = m_connectionInfo->stream;
            if (m_requestID == 0)
                m_requestID = pool.nextRequestID();
            m_connectionInfo->requestID = m_requestID;
            m_connectionInfo->stream = stream;
            m_connectionInfo->expires.reset();
            stream->setConnectionID(m_connectionInfo->id);
            stream->setPersistentConnection(true);
        } else if (m_connectionInfo) {
            if (m_connectionInfo->requestID == m_requestID)
                pool.release(m_connectionInfo, m_persistentConnectionTimeoutSeconds);
            m_connectionInfo.reset();
        }
    }

    m_readStream = stream;
    // A request that starts while the shared budget is spent waits for
    // the throttle to schedule it.
    if (!throttleWakeUpPending())
        scheduleReadStream();
    std::weak_ptr<VNHTTPRequest> weak = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    stream->setClient(Stream::HasBytesAvailable | Stream::ErrorOccurred | Stream::EndEncountered,
        [weak](Stream&, Stream::Event event) {
            if (auto self = weak.lock())
                self->handleNetworkEvent(event);
        });
    const bool opened = stream->open();
    if (previous && previous != stream)
        previous->close();
    if (!opened) {
        m_connectionCanBeReused = false;
        destroyReadStream();
        failWithError(requestError(InternalErrorWhileBuildingRequestType, QStringLiteral("Unable to start HTTP connection")));
        return;
    }
    resetProgressOnStart();
    updateProgressIndicators();
    m_lastActivityTime = now();
    m_stretchStart = m_lastActivityTime;
    m_stretchBytes = 0;
    startStatusTimer();
}

void VNHTTPRequest::scheduleReadStream()
{
    if (!m_readStream || m_readStreamIsScheduled)
        return;
    VNConnectionPool::shared().streamScheduled();
    m_lastActivityTime = now();
    m_readStream->schedule(*m_requestLoop, m_runLoopMode);
    m_readStreamIsScheduled = true;
}

void VNHTTPRequest::unscheduleReadStream()
{
    if (!m_readStream || !m_readStreamIsScheduled)
        return;
    VNConnectionPool::shared().streamUnscheduled();
    m_readStream->unschedule(*m_requestLoop, m_runLoopMode);
    m_readStreamIsScheduled = false;
}

void VNHTTPRequest::destroyReadStream()
{
    if (!m_readStream)
        return;
    unscheduleReadStream();
    m_readStream->setClient(0, nullptr);
    // A reusable connection stays open in its pool entry for the next request.
    if (!m_connectionCanBeReused)
        m_readStream->close();
    m_readStream.reset();
}

void VNHTTPRequest::cancelLoad()
{
    if (m_PACFileRequest) {
        m_PACFileRequest->m_PACFinished = nullptr;
        m_PACFileRequest->cancel();
        m_PACFileRequest.reset();
        narrowQueue(m_PACQueueWidened);
    }
    destroyReadStream();
    if (m_downloadDestinationPath.isEmpty()) {
        if (!m_complete)
            m_rawResponseData.clear();
    } else {
        if (m_fileDownloadOutputStream)
            m_fileDownloadOutputStream->close();
        if (m_inflatedFileDownloadOutputStream)
            m_inflatedFileDownloadOutputStream->close();
        m_fileDownloadOutputStream.reset();
        m_inflatedFileDownloadOutputStream.reset();
        if (!m_complete) {
            if (!m_allowResumeForFileDownloads)
                removeTemporaryDownloadFile();
            removeTemporaryUncompressedDownloadFile();
        }
    }
    if (m_authenticationNeeded == 0 && !m_willRetryRequest && m_didCreateTemporaryPostDataFile) {
        removeTemporaryUploadFile();
        removeTemporaryCompressedUploadFile();
        m_didCreateTemporaryPostDataFile = false;
    }
}

bool VNHTTPRequest::retryUsingNewConnection()
{
    if (m_retriedOnNewConnection)
        return false;
    m_retriedOnNewConnection = true;
    m_willRetryRequest = true;
    cancelLoad();
    m_willRetryRequest = false;
    if (m_connectionInfo) {
        VNConnectionPool::shared().remove(m_connectionInfo);
        m_connectionInfo.reset();
    }
    ++m_retryCount;
    startRequest();
    return true;
}

void VNHTTPRequest::handleStreamError()
{
    const NetworkError streamError = m_readStream ? m_readStream->error() : NetworkError();
    if (!m_error) {
        const bool connectionGone = streamError.isConnectionLost()
            || (streamError.domain == NetworkError::PosixDomain && (streamError.code == EPIPE || streamError.code == ENOTCONN));
        // A kept-alive connection the server closed meanwhile: try once more
        // on a fresh one, unless part of the answer already came (the
        // receiver would get it twice).
        if (connectionGone && !m_haveReadResponseHeaders && m_totalBytesRead == 0 && retryUsingNewConnection())
            return;
        VNError error;
        if (streamError.domain == NetworkError::NetworkDomain && streamError.code == NetworkError::RequestBodyFailed) {
            error = requestError(FileManagementError, QStringLiteral("Failed to read the request body from '%1'")
                                                          .arg(m_compressedPostBodyFilePath.isEmpty() ? m_postBodyFilePath : m_compressedPostBodyFilePath));
        } else {
            QString description = QStringLiteral("A connection failure occurred");
            if (streamError.isSecurityProblem())
                description = QStringLiteral("%1: SSL problem (Possible causes may include a bad/expired/self-signed certificate, clock set to wrong date)")
                                  .arg(description);
            error = requestError(ConnectionFailureErrorType, description);
        }
        error.underlyingError = std::make_shared<VNError>(VNError::make(streamError.domain, streamError.code, streamError.description));
        m_connectionCanBeReused = false;
        cancelLoad();
        failWithError(error);
    } else {
        cancelLoad();
    }
    checkRequestStatus();
}

void VNHTTPRequest::handleNetworkEvent(Stream::Event event)
{
    auto keep = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    {
        std::lock_guard lock(m_lock);
        if (m_complete || m_cancelled)
            return;
        guarded([&] {
            switch (event) {
            case Stream::EndEncountered:
                handleStreamComplete();
                break;
            case Stream::ErrorOccurred:
                handleStreamError();
                break;
            case Stream::HasBytesAvailable:
                handleBytesAvailable();
                break;
            }
            performThrottling();
        });
    }
    if (m_downloadComplete && m_needsRedirect && !m_error) {
        if (!willAskDelegateToConfirmRedirect())
            performRedirect();
    } else if (m_downloadComplete && m_authenticationNeeded != 0 && !m_error) {
        handleAuthenticationChallenge();
    }
}

// ---- proxies ----

bool VNHTTPRequest::configureProxies()
{
    if (m_isPACFileRequest || (!m_proxyHost.isEmpty() && m_proxyPort != 0))
        return true;
    if (m_PACurl.isEmpty()) {
        const auto proxies = VNSystemProxySettings::proxiesForURL(m_url);
        if (!proxies) {
            destroyReadStream();
            failWithError(requestError(InternalErrorWhileBuildingRequestType,
                QStringLiteral("Unable to obtain information on proxy servers needed for request")));
            return false;
        }
        if (!proxies->isEmpty() && !proxies->first().isDirect()) {
            m_proxyHost = proxies->first().host;
            m_proxyPort = proxies->first().port;
            m_proxyType = proxies->first().type;
        }
        return true;
    }
    const QString scheme = m_PACurl.scheme().toLower();
    if (m_PACurl.isLocalFile()) {
        QFile file(m_PACurl.toLocalFile());
        if (file.open(QIODevice::ReadOnly) && file.size() <= MaximumPACFileSize) {
            const QByteArray data = file.read(MaximumPACFileSize);
            QString text = QString::fromUtf8(data);
            if (text.contains(QChar::ReplacementCharacter))
                text = QString::fromLatin1(data);
            if (!m_isSynchronous && !text.isEmpty()) {
                runPACScriptThenStart(text);
                return false;
            }
            runPACScript(text);
        }
        return true;
    }
    if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
        return true;
    fetchPACFile();
    return false;
}

void VNHTTPRequest::fetchPACFile()
{
    auto script = requestWithURL(m_PACurl);
    script->m_isPACFileRequest = true;
    script->m_timeOutSeconds = m_timeOutSeconds;
    if (m_isSynchronous) {
        script->startSynchronous();
        if (!script->error())
            runPACScript(script->responseString());
        startRequest();
        return;
    }
    std::weak_ptr<VNHTTPRequest> weak = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    m_PACQueueWidened = widenQueue();
    script->m_PACFinished = [weak, widened = m_PACQueueWidened](VNHTTPRequest& finished) {
        const QString text = finished.m_error ? QString() : finished.responseString();
        narrowQueue(widened);
        auto self = weak.lock();
        if (!self)
            return;
        // Started from a fresh turn of the loop, not from inside the
        // script request's own stream event.
        self->performOnRequestThread([self, text] {
            std::lock_guard lock(self->m_lock);
            self->m_PACFileRequest.reset();
            if (self->m_complete || self->m_cancelled)
                return;
            self->guarded([&] {
                if (text.isEmpty())
                    self->startRequest();
                else
                    self->runPACScriptThenStart(text);
            });
        });
    };
    m_PACFileRequest = script;
    script->setQueuePriority(Operation::HighPriority);
    script->startAsynchronous();
}

std::chrono::milliseconds VNHTTPRequest::PACScriptTimeLimit() const
{
    const double seconds = m_timeOutSeconds > 0 ? std::min(m_timeOutSeconds, 10.0) : 10.0;
    return std::chrono::milliseconds(qint64(seconds * 1000));
}

void VNHTTPRequest::applyPACResult(const std::optional<QList<VNProxy>>& proxies)
{
    if (proxies && !proxies->isEmpty() && !proxies->first().isDirect()) {
        m_proxyHost = proxies->first().host;
        m_proxyPort = proxies->first().port;
        m_proxyType = proxies->first().type;
    }
}

void VNHTTPRequest::runPACScript(const QString& script)
{
    if (script.isEmpty())
        return;
    applyPACResult(VNPACScriptRunner::proxiesForURL(script, m_url, PACScriptTimeLimit()));
}

// Somebody else's script may loop or grow until its watchdog stops it:
// it runs on a thread of its own, so the requests sharing the network
// thread go on meanwhile. The request starts when it is done.
void VNHTTPRequest::runPACScriptThenStart(const QString& script)
{
    std::weak_ptr<VNHTTPRequest> weak = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    std::thread([weak, script, url = m_url, limit = PACScriptTimeLimit()] {
        const auto proxies = VNPACScriptRunner::proxiesForURL(script, url, limit);
        auto self = weak.lock();
        if (!self)
            return;
        self->performOnRequestThread([self, proxies] {
            std::lock_guard lock(self->m_lock);
            if (self->m_complete || self->m_cancelled)
                return;
            self->guarded([&] {
                self->applyPACResult(proxies);
                self->startRequest();
            });
        });
    }).detach();
}

// ---- files ----

bool VNHTTPRequest::removeFileAtPath(const QString& path, VNError* error)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    QFile file(path);
    if (file.remove())
        return true;
    VNError failure = requestError(FileManagementError, QStringLiteral("Failed to delete file at path '%1'").arg(path));
    failure.underlyingError = std::make_shared<VNError>(VNError::make(QStringLiteral("NSCocoaErrorDomain"), int(file.error()), file.errorString()));
    VNError::report(error, failure);
    return false;
}

bool VNHTTPRequest::removeFileField(QString& path)
{
    if (path.isEmpty())
        return true;
    VNError error;
    if (!removeFileAtPath(path, &error)) {
        failWithError(error);
        return false;
    }
    path.clear();
    return true;
}

bool VNHTTPRequest::removeTemporaryDownloadFile() { return removeFileField(m_temporaryFileDownloadPath); }
bool VNHTTPRequest::removeTemporaryUncompressedDownloadFile() { return removeFileField(m_temporaryUncompressedDataDownloadPath); }
bool VNHTTPRequest::removeTemporaryUploadFile() { return removeFileField(m_postBodyFilePath); }
bool VNHTTPRequest::removeTemporaryCompressedUploadFile() { return removeFileField(m_compressedPostBodyFilePath); }
