#pragma once

#include "VNConnectionPool.h"
#include "VNError.h"
#include "VNHTTPCookie.h"
#include "VNHTTPRequestDelegate.h"
#include "VNProxy.h"
#include "VNProgressReceiverField.h"
#include "VNSessionCredentialsStore.h"

#include "platform/network/HTTPHeaderFields.h"
#include "platform/network/HTTPMessage.h"
#include "platform/network/HTTPReadStream.h"
#include "platform/network/ProxySettings.h"
#include "platform/network/Operation.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QUrl>
#include <QVariantMap>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class VNDataDecompressor;
class VNDownloadCache;
class VNInputStream;
class VNProgressDelegate;
struct VNCacheRequestInfo;
namespace platform {
class OperationQueue;
class RunLoop;
class RunLoopTimer;
}

// One HTTP exchange: builds the request, runs it over a stream on the one
// network thread (or on the caller's thread when run synchronously),
// follows redirects, reuses kept-alive connections, and tells its
// delegate, its queue and its blocks what happened, always on the main
// thread. A run reports exactly one outcome: finished, or failed with its
// first error (domain VNHTTPRequestErrorDomain).
//
// Requests live in shared pointers (the operation queue and the network
// thread hold them while they work). Delegates and the main request of a
// HEAD companion are held weakly: one that is gone is simply not told.
// The sources are split by concern: VNHTTPRequest.cpp (lifecycle and
// callbacks), _Body (body, headers, cookies), _Connection (stream, pool,
// proxies), _Response (response, redirects, downloads) and
// _Authentication (401 and 407 answers, credential stores).
class VNHTTPRequest : public platform::Operation {
public:
    using Clock = std::chrono::steady_clock;
    using Block = std::function<void()>;
    using HeadersBlock = std::function<void(const platform::HTTPHeaderFields&)>;
    using DataBlock = std::function<void(const QByteArray&)>;

    enum ErrorCode {
        ConnectionFailureErrorType = 1,
        RequestTimedOutErrorType = 2,
        AuthenticationErrorType = 3,
        RequestCancelledErrorType = 4,
        UnableToCreateRequestErrorType = 5,
        InternalErrorWhileBuildingRequestType = 6,
        InternalErrorWhileApplyingCredentialsType = 7,
        FileManagementError = 8,
        TooMuchRedirectionErrorType = 9,
        UnhandledExceptionError = 10,
        CompressionError = 11,
    };

    static const QString RunLoopMode;

    static std::shared_ptr<VNHTTPRequest> requestWithURL(const QUrl& url);
    explicit VNHTTPRequest(const QUrl& url);
    ~VNHTTPRequest() override;

    // Running.
    void startAsynchronous();
    void startSynchronous();
    void start() override;
    void main() override;
    bool isConcurrent() const override { return true; }
    bool isExecuting() const override;
    bool isFinished() const override;
    bool isCancelled() const override;
    void cancel() override;
    void clearDelegatesAndCancel();

    // Target and method.
    QUrl url() const;
    void setURL(const QUrl& url);
    QUrl originalURL() const;
    QString requestMethod() const;
    void setRequestMethod(const QString& method);
    bool useHTTPVersionOne() const { return m_useHTTPVersionOne; }
    void setUseHTTPVersionOne(bool on) { m_useHTTPVersionOne = on; }

    // Callbacks.
    std::shared_ptr<VNHTTPRequestDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<VNHTTPRequestDelegate>& delegate);
    std::shared_ptr<VNHTTPRequestDelegate> queue() const;
    void setQueue(const std::shared_ptr<VNHTTPRequestDelegate>& queue);
    void setStartedBlock(Block block);
    void setHeadersReceivedBlock(HeadersBlock block);
    void setCompletionBlock(Block block);
    void setFailedBlock(Block block);
    void setDataReceivedBlock(DataBlock block);
    void setRequestRedirectedBlock(Block block);

    // Body (in memory, or written to and streamed from a file).
    void appendPostData(const QByteArray& data);
    void appendPostDataFromFile(const QString& path);
    void setPostBody(const QByteArray& body);
    QByteArray postBody() const { return m_postBody; }
    void setPostBodyFilePath(const QString& path) { m_postBodyFilePath = path; }
    QString postBodyFilePath() const { return m_postBodyFilePath; }
    void setShouldStreamPostDataFromDisk(bool on) { m_shouldStreamPostDataFromDisk = on; }
    void setShouldCompressRequestBody(bool on) { m_shouldCompressRequestBody = on; }
    quint64 postLength() const { return m_postLength; }
    virtual void buildPostBody();

    // Headers and cookies.
    void addRequestHeader(const QString& name, const QString& value);
    const platform::HTTPHeaderFields& requestHeaders() const { return m_requestHeaders; }
    void buildRequestHeaders();
    QList<VNHTTPCookie> requestCookies() const { return m_requestCookies; }
    void setRequestCookies(const QList<VNHTTPCookie>& cookies) { m_requestCookies = cookies; }
    void setUseCookiePersistence(bool on) { m_useCookiePersistence = on; }
    void setUserAgentString(const QString& agent) { m_userAgentString = agent; }
    static QString defaultUserAgentString();
    static void setDefaultUserAgentString(const QString& agent);
    static QList<VNHTTPCookie> sessionCookies();
    static void setSessionCookies(const QList<VNHTTPCookie>& cookies);
    static void addSessionCookie(const VNHTTPCookie& cookie);
    static void clearSession();
    static QString mimeTypeForFileAtPath(const QString& path);
    static QString base64forData(const QByteArray& data);

    // A HEAD request made for this one (it reports through this request),
    // and a fresh copy with this request's settings.
    std::shared_ptr<VNHTTPRequest> HEADRequest();
    std::shared_ptr<VNHTTPRequest> copy() const;

    // Time-outs and retries.
    double timeOutSeconds() const { return m_timeOutSeconds; }
    void setTimeOutSeconds(double seconds) { m_timeOutSeconds = seconds; }
    int numberOfTimesToRetryOnTimeout() const { return m_numberOfTimesToRetryOnTimeout; }
    void setNumberOfTimesToRetryOnTimeout(int count) { m_numberOfTimesToRetryOnTimeout = count; }
    int retryCount() const { return m_retryCount; }
    static double defaultTimeOutSeconds();
    static void setDefaultTimeOutSeconds(double seconds);
    // A transfer that moves some bytes, but fewer than this many in any
    // stretch of this length, never ends for an honest reason (a drip of
    // one byte a second would take a day for 100 kB): it fails with the
    // time-out error. A stretch with nothing at all is the inactivity
    // time-out's to judge, so a long time-out for a slow server still holds.
    static constexpr quint64 MinimumBytesPerStretch = 64;
    static constexpr std::chrono::seconds SlowTransferStretch { 60 };

    // The clock the time-outs read: the steady clock, unless a test drives
    // one of its own (null goes back to the steady clock).
    using TimeSource = std::function<Clock::time_point()>;
    static void setTimeSource(TimeSource source);
    static Clock::time_point now();

    // Connection and proxies.
    void setShouldAttemptPersistentConnection(bool on) { m_shouldAttemptPersistentConnection = on; }
    bool shouldAttemptPersistentConnection() const { return m_shouldAttemptPersistentConnection; }
    double persistentConnectionTimeoutSeconds() const { return m_persistentConnectionTimeoutSeconds; }
    void setPersistentConnectionTimeoutSeconds(double s) { m_persistentConnectionTimeoutSeconds = s; }
    bool connectionCanBeReused() const { return m_connectionCanBeReused; }
    // The number of the kept-alive connection the request used (0: none).
    quint64 connectionID() const;
    void setValidatesSecureCertificate(bool on) { m_validatesSecureCertificate = on; }
    // A client identity: a PEM certificate chain and its private key.
    void setClientCertificateIdentity(const QString& chainFile, const QString& keyFile);
    QString proxyHost() const { return m_proxyHost; }
    int proxyPort() const { return m_proxyPort; }
    QString proxyType() const { return m_proxyType; }
    void setProxyHost(const QString& host) { m_proxyHost = host; }
    void setProxyPort(int port) { m_proxyPort = port; }
    void setProxyType(const QString& type) { m_proxyType = type; }
    void setPACurl(const QUrl& url) { m_PACurl = url; }
    QUrl PACurl() const { return m_PACurl; }
    static void setShouldUpdateNetworkActivityIndicator(bool on);
    static bool isNetworkInUse();
    static void expirePersistentConnections();
    static platform::OperationQueue& sharedQueue();

    // Response.
    int responseStatusCode() const { return m_responseStatusCode; }
    QString responseStatusMessage() const { return m_responseStatusMessage; }
    const platform::HTTPHeaderFields& responseHeaders() const { return m_responseHeaders; }
    QList<VNHTTPCookie> responseCookies() const { return m_responseCookies; }
    QByteArray responseData() const;
    QString responseString() const;
    bool isResponseCompressed() const;
    // Character sets are IANA names ("ISO-8859-1", "UTF-8").
    QByteArray responseEncoding() const { return m_responseEncoding; }
    QByteArray defaultResponseEncoding() const { return m_defaultResponseEncoding; }
    void setDefaultResponseEncoding(const QByteArray& charset) { m_defaultResponseEncoding = charset; }
    quint64 contentLength() const { return m_contentLength; }
    // The largest body the request keeps in memory, as received and as
    // inflated by responseData(); a longer one fails the request (error 1,
    // or 11 when inflating). No honest answer a program keeps in memory
    // comes near the default. A body written to a download file or handed
    // to a data listener is not held, so this does not bound it.
    static constexpr quint64 DefaultMaxResponseBodySize = quint64(256) << 20;
    quint64 maxResponseBodySize() const { return m_maxResponseBodySize; }
    void setMaxResponseBodySize(quint64 bytes) { m_maxResponseBodySize = bytes; }
    // Inflated data more than this many times its compressed size, once
    // past the floor, is a bomb rather than an answer (no honest response
    // comes near), in memory and in download files alike: error 11.
    static constexpr quint64 MaximumInflationRatio = 1000;
    static constexpr quint64 InflationRatioFloor = quint64(16) << 20;
    quint64 totalBytesRead() const { return m_totalBytesRead; }
    quint64 partialDownloadSize() const { return m_partialDownloadSize; }
    std::optional<VNError> error() const;
    bool complete() const { return m_complete; }

    // Content type parsing: the MIME type and, when it is named and known,
    // the character set.
    static void parseMimeType(const QString& contentType, QString* mimeType, QByteArray* charset);

    // Dates for the download cache: when a response stops being fresh (max
    // age given, else the response's "Cache-Control" max-age, else its
    // "Expires"), and an HTTP date read in either of its two written forms.
    static std::optional<QDateTime> expiryDateForRequest(const VNHTTPRequest& request, double maxAge,
        const QDateTime& now = QDateTime::currentDateTimeUtc());
    static std::optional<QDateTime> dateFromRFC1123String(const QString& text);

    // Redirects.
    void setShouldRedirect(bool on) { m_shouldRedirect = on; }
    void setShouldUseRFC2616RedirectBehaviour(bool on) { m_shouldUseRFC2616RedirectBehaviour = on; }
    int redirectCount() const { return m_redirectCount; }
    // The delegate's or queue's answer to requestWillRedirect(): go there.
    void redirectToURL(const QUrl& url);

    // Compression and downloads.
    void setAllowCompressedResponse(bool on) { m_allowCompressedResponse = on; }
    void setShouldWaitToInflateCompressedResponses(bool on) { m_shouldWaitToInflateCompressedResponses = on; }
    void setDownloadDestinationPath(const QString& path) { m_downloadDestinationPath = path; }
    QString downloadDestinationPath() const { return m_downloadDestinationPath; }
    void setTemporaryFileDownloadPath(const QString& path) { m_temporaryFileDownloadPath = path; }
    QString temporaryFileDownloadPath() const { return m_temporaryFileDownloadPath; }
    void setAllowResumeForFileDownloads(bool on) { m_allowResumeForFileDownloads = on; }
    static bool removeFileAtPath(const QString& path, VNError* error);

    // Progress (_Progress). Receivers are held weakly and told on the main
    // thread; one cleared before a message arrives does not get it.
    using AmountBlock = std::function<void(qint64 amount, qint64 total)>;
    using SizeBlock = std::function<void(qint64 amount)>;
    std::shared_ptr<VNProgressDelegate> uploadProgressDelegate() const;
    void setUploadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate);
    std::shared_ptr<VNProgressDelegate> downloadProgressDelegate() const;
    void setDownloadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate);
    bool showAccurateProgress() const { return m_showAccurateProgress; }
    void setShowAccurateProgress(bool on) { m_showAccurateProgress = on; }
    bool shouldResetUploadProgress() const { return m_shouldResetUploadProgress; }
    void setShouldResetUploadProgress(bool on) { m_shouldResetUploadProgress = on; }
    bool shouldResetDownloadProgress() const { return m_shouldResetDownloadProgress; }
    void setShouldResetDownloadProgress(bool on) { m_shouldResetDownloadProgress = on; }
    void setBytesReceivedBlock(AmountBlock block);
    void setBytesSentBlock(AmountBlock block);
    void setDownloadSizeIncrementedBlock(SizeBlock block);
    void setUploadSizeIncrementedBlock(SizeBlock block);
    quint64 totalBytesSent() const { return m_totalBytesSent; }
    void incrementUploadSizeBy(qint64 amount);
    void incrementDownloadSizeBy(qint64 amount);
    // Runs the call on the receiver the field holds when the call runs, on
    // the main thread (at once when already there).
    static void performOnReceiver(const std::shared_ptr<VNProgressReceiverField>& field,
        std::function<void(VNProgressDelegate&)> call);
    // progress of total as the receiver's value: 0..1, and never NaN (a
    // total of 0 gives 0, or 1 when complete).
    static void updateProgressIndicator(const std::shared_ptr<VNProgressReceiverField>& field,
        qint64 progress, qint64 total, bool complete = false);

    // The bandwidth budget all requests share (0: no limit).
    static void setMaxBandwidthPerSecond(quint64 bytes);
    static quint64 maxBandwidthPerSecond();
    static bool isBandwidthThrottled();
    static quint64 averageBandwidthUsedPerSecond();

    // Download cache (_Cache). Not owned: the cache outlives its requests.
    static std::shared_ptr<VNHTTPRequest> requestWithURL(const QUrl& url, VNDownloadCache* cache, int cachePolicy = 0);
    static VNDownloadCache* defaultCache();
    static void setDefaultCache(VNDownloadCache* cache);
    VNDownloadCache* downloadCache() const { return m_downloadCache; }
    void setDownloadCache(VNDownloadCache* cache) { m_downloadCache = cache; }
    int cachePolicy() const { return m_cachePolicy; }
    void setCachePolicy(int policy) { m_cachePolicy = policy; }
    int cacheStoragePolicy() const { return m_cacheStoragePolicy; }
    void setCacheStoragePolicy(int policy) { m_cacheStoragePolicy = policy; }
    double secondsToCache() const { return m_secondsToCache; }
    void setSecondsToCache(double seconds) { m_secondsToCache = seconds; }
    bool didUseCachedResponse() const { return m_didUseCachedResponse; }
    // What the cache reads of this request, as it stands now.
    VNCacheRequestInfo cacheRequestInfo() const;

    // Caller's data.
    QVariantMap userInfo() const { return m_userInfo; }
    void setUserInfo(const QVariantMap& info) { m_userInfo = info; }
    qint64 tag() const { return m_tag; }
    void setTag(qint64 tag) { m_tag = tag; }

    // Authentication (VNHTTPRequest_Authentication.cpp). Null strings are
    // "not set". The delegate, asked through authenticationNeededForRequest()
    // or the block, sets the fields and calls retryUsingSuppliedCredentials()
    // or cancelAuthentication(), from any thread.
    using Credentials = VNSessionCredentialsStore::Credentials;
    int authenticationNeeded() const { return m_authenticationNeeded; }
    QString username() const;
    void setUsername(const QString& user);
    QString password() const;
    void setPassword(const QString& password);
    QString domain() const;
    void setDomain(const QString& domain);
    QString proxyUsername() const;
    void setProxyUsername(const QString& user);
    QString proxyPassword() const;
    void setProxyPassword(const QString& password);
    QString proxyDomain() const;
    void setProxyDomain(const QString& domain);
    bool useKeychainPersistence() const { return m_useKeychainPersistence; }
    void setUseKeychainPersistence(bool on) { m_useKeychainPersistence = on; }
    bool useSessionPersistence() const { return m_useSessionPersistence; }
    void setUseSessionPersistence(bool on) { m_useSessionPersistence = on; }
    bool shouldPresentCredentialsBeforeChallenge() const { return m_shouldPresentCredentialsBeforeChallenge; }
    void setShouldPresentCredentialsBeforeChallenge(bool on) { m_shouldPresentCredentialsBeforeChallenge = on; }
    void setShouldPresentAuthenticationDialog(bool on) { m_shouldPresentAuthenticationDialog = on; }
    void setShouldPresentProxyAuthenticationDialog(bool on) { m_shouldPresentProxyAuthenticationDialog = on; }
    QString authenticationScheme() const;
    void setAuthenticationScheme(const QString& scheme);
    QString authenticationRealm() const;
    QString proxyAuthenticationScheme() const;
    QString proxyAuthenticationRealm() const;
    Credentials requestCredentials() const;
    Credentials proxyCredentials() const;
    int authenticationRetryCount() const;
    int proxyAuthenticationRetryCount() const;
    void setAuthenticationNeededBlock(Block block);
    void setProxyAuthenticationNeededBlock(Block block);
    void retryUsingSuppliedCredentials();
    void cancelAuthentication();
    void addBasicAuthenticationHeaderWithUsername(const QString& user, const QString& password);

    // The process's session stores and saved credentials.
    static void storeAuthenticationCredentialsInSessionStore(const VNSessionCredentialsStore::ServerEntry& entry);
    static void storeProxyAuthenticationCredentialsInSessionStore(const VNSessionCredentialsStore::ProxyEntry& entry);
    static void removeAuthenticationCredentialsFromSessionStore(const Credentials& credentials);
    static void removeProxyAuthenticationCredentialsFromSessionStore(const Credentials& credentials);
    static void saveCredentials(const platform::HTTPCredential& credential, const QString& host, int port,
        const QString& protocol, const QString& realm);
    static void saveCredentialsForProxy(const platform::HTTPCredential& credential, const QString& host, int port,
        const QString& realm);
    static std::optional<platform::HTTPCredential> savedCredentialsForHost(const QString& host, int port,
        const QString& protocol, const QString& realm);
    static std::optional<platform::HTTPCredential> savedCredentialsForProxy(const QString& host, int port,
        const QString& protocol, const QString& realm);
    static void removeCredentialsForHost(const QString& host, int port, const QString& protocol, const QString& realm);
    static void removeCredentialsForProxy(const QString& host, int port, const QString& realm);

    // The shared error objects and the error texts.
    static VNError requestError(ErrorCode code, const QString& message);

protected:
    // The credential handling: what is sent before any challenge (runs
    // only while the request is at the origin its credentials were given
    // for: a redirect elsewhere never carries them), and the answer to a
    // 401 or 407.
    virtual void applyCredentialsBeforeChallenge();
    virtual void handleAuthenticationChallenge();
    // Progress reporting hook: called whenever byte counts moved.
    virtual void updateProgressIndicators();

    // The message in the making (valid during a run).
    platform::HTTPMessage& message() { return m_message; }
    void failWithError(const VNError& error);
    bool haveBuiltPostBody() const { return m_haveBuiltPostBody; }

private:
    using Stream = platform::HTTPReadStream;

    // Lifecycle (VNHTTPRequest.cpp).
    void runMain();
    void markAsFinished();
    void requestFinished();
    void reportFailure();
    void performCancel();
    void releaseBlocksOnMainThread();
    void checkRequestStatus();
    bool shouldTimeOut() const;
    bool transferTooSlow();
    void countTransferredBytes(quint64 count);
    void startStatusTimer();
    void stopStatusTimer();
    void performOnMainThread(std::function<void(VNHTTPRequest&)> work);
    void notifyOnMainThread(void (VNHTTPRequestDelegate::*call)(VNHTTPRequest&), Block VNHTTPRequest::*block);
    void performOnRequestThread(std::function<void()> work);
    void sendStartedCallback();
    void sendHeadersReceivedCallback();
    void sendRedirectedCallback();
    void sendWillRedirectCallback(const QUrl& url);
    void sendDataReceivedCallback(const QByteArray& data);
    bool isHEADCompanion() const { return !m_mainRequest.expired(); }
    bool wantsReceivedData() const;
    void guarded(const std::function<void()>& step);

    // Body and headers (_Body).
    void setupPostBody();
    void applyCookieHeader();
    void updatePartialDownloadSize();

    // Connection (_Connection).
    void startRequest();
    bool configureProxies();
    void fetchPACFile();
    void runPACScript(const QString& script);
    void runPACScriptThenStart(const QString& script);
    void applyPACResult(const std::optional<QList<VNProxy>>& proxies);
    std::chrono::milliseconds PACScriptTimeLimit() const;
    void scheduleReadStream();
    void unscheduleReadStream();
    void destroyReadStream();
    void cancelLoad();
    bool retryUsingNewConnection();
    void handleStreamError();
    void handleNetworkEvent(Stream::Event event);
    bool removeTemporaryDownloadFile();
    bool removeTemporaryUncompressedDownloadFile();
    bool removeTemporaryUploadFile();
    bool removeTemporaryCompressedUploadFile();
    bool removeFileField(QString& path);
    std::optional<Stream::BodySource> bodySourceForFile(const QString& path);

    // Authentication (_Authentication).
    struct AuthenticationSide;
    AuthenticationSide authenticationSide(bool proxy);
    void applyAuthorizationHeader();
    void attemptToApplyCredentialsAndResume();
    void attemptToApplyProxyCredentialsAndResume();
    void answerChallenge(bool proxy);
    bool applyCredentials(const Credentials& credentials);
    bool applyProxyCredentials(const Credentials& credentials);
    bool applySideCredentials(bool proxy, const Credentials& credentials);
    bool applySessionCredentials(bool proxy);
    Credentials findCredentials();
    Credentials findProxyCredentials();
    std::optional<VNSessionCredentialsStore::ServerEntry> findSessionAuthenticationCredentials();
    std::optional<VNSessionCredentialsStore::ProxyEntry> findSessionProxyAuthenticationCredentials();
    void saveCredentialsToKeychain(const Credentials& credentials);
    void saveProxyCredentialsToKeychain(const Credentials& credentials);
    bool willAskDelegateForCredentials();
    bool willAskDelegateForProxyCredentials();
    bool willAskDelegate(bool proxy);
    bool showAuthenticationDialog() { return false; }
    bool showProxyAuthenticationDialog() { return false; }
    void failAuthentication();
    void restartWithCredentials(bool proxy);
    platform::ProxySettings proxySettingsForMessage() const;
    // The response came from an HTTP proxy (its own answer, or its
    // refusal of a tunnel), not from the server: only then is a 407 the
    // proxy's challenge, and only then do proxy credentials go out.
    bool answeredByProxy() const;
    bool sendsToHTTPProxy() const;
    // A redirect to another origin: credentials given for the old one stay behind.
    void dropCredentialsForOtherOrigin();
    void rememberCredentialsSentBeforeChallenge();
    void releaseAuthentication();
    void copyAuthenticationSettingsTo(VNHTTPRequest& other) const;

    // Response (_Response).
    void readResponseHeaders();
    bool willRedirect();
    bool willAskDelegateToConfirmRedirect();
    void performRedirect();
    void handleBytesAvailable();
    void handleStreamComplete();
    bool openDownloadFiles();
    void failResponseTooLarge();
    void applyKeepAlive();

    // Target and callbacks.
    QUrl m_url;
    QUrl m_originalURL;
    QUrl m_redirectURL;
    QString m_requestMethod = QStringLiteral("GET");
    bool m_useHTTPVersionOne = false;
    std::weak_ptr<VNHTTPRequestDelegate> m_delegate;
    std::shared_ptr<VNHTTPRequestDelegate> m_queue;
    std::weak_ptr<VNHTTPRequest> m_mainRequest;
    Block m_startedBlock, m_completionBlock, m_failureBlock, m_requestRedirectedBlock;
    HeadersBlock m_headersReceivedBlock;
    DataBlock m_dataReceivedBlock;

    // Body.
    QByteArray m_postBody;
    QByteArray m_compressedPostBody;
    QString m_postBodyFilePath;
    QString m_compressedPostBodyFilePath;
    std::unique_ptr<QFile> m_postBodyWriteStream;
    bool m_postBodyWriteFailed = false;
    quint64 m_postLength = 0;
    bool m_shouldStreamPostDataFromDisk = false;
    bool m_shouldCompressRequestBody = false;
    bool m_didCreateTemporaryPostDataFile = false;
    bool m_haveBuiltPostBody = false;
    bool m_postBodyReadFailed = false;

    // Headers and cookies.
    platform::HTTPHeaderFields m_requestHeaders;
    bool m_haveBuiltRequestHeaders = false;
    QList<VNHTTPCookie> m_requestCookies;
    bool m_useCookiePersistence = true;
    QString m_userAgentString;

    // State of a run.
    mutable std::recursive_mutex m_lock;
    bool m_inProgress = false;
    bool m_complete = false;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_downloadComplete = false;
    std::optional<VNError> m_error;
    bool m_isSynchronous = false;
    QString m_runLoopMode;
    // The loop of the thread running the request, used on that thread
    // only; other threads reach it by its serial, which stays safe to use
    // after a synchronous caller's thread has ended.
    platform::RunLoop* m_requestLoop = nullptr;
    quint64 m_requestLoopSerial = 0;
    std::shared_ptr<platform::RunLoopTimer> m_statusTimer;
    platform::HTTPMessage m_message;
    bool m_isPACFileRequest = false;
    std::function<void(VNHTTPRequest&)> m_PACFinished;

    // Time-out and retries.
    double m_timeOutSeconds;
    std::optional<Clock::time_point> m_lastActivityTime;
    int m_numberOfTimesToRetryOnTimeout = 0;
    int m_retryCount = 0;
    bool m_willRetryRequest = false;
    // A fresh connection is tried once per hop of a redirect chain.
    bool m_retriedOnNewConnection = false;
    std::optional<Clock::time_point> m_stretchStart;
    quint64 m_stretchBytes = 0;
    quint64 m_uploadBufferSize = 0;

    // Connection.
    std::shared_ptr<Stream> m_readStream;
    bool m_readStreamIsScheduled = false;
    std::shared_ptr<VNConnectionPool::Entry> m_connectionInfo;
    quint64 m_requestID = 0;
    bool m_shouldAttemptPersistentConnection = true;
    double m_persistentConnectionTimeoutSeconds = 60.0;
    bool m_connectionCanBeReused = false;
    bool m_validatesSecureCertificate = true;
    QString m_clientCertificateChainFile, m_clientPrivateKeyFile;
    QString m_proxyHost;
    int m_proxyPort = 0;
    QString m_proxyType;
    QUrl m_PACurl;
    std::shared_ptr<VNHTTPRequest> m_PACFileRequest;
    std::shared_ptr<std::atomic<bool>> m_PACQueueWidened;

    // Response.
    platform::HTTPHeaderFields m_responseHeaders;
    bool m_haveReadResponseHeaders = false;
    int m_responseStatusCode = 0;
    QString m_responseStatusMessage;
    QList<VNHTTPCookie> m_responseCookies;
    QByteArray m_rawResponseData;
    QByteArray m_responseEncoding;
    QByteArray m_defaultResponseEncoding = "ISO-8859-1";
    quint64 m_maxResponseBodySize = DefaultMaxResponseBodySize;
    // The body inflated, made once from the raw body of the size noted.
    mutable std::optional<QByteArray> m_inflatedResponseData;
    mutable std::optional<VNError> m_inflationError;
    mutable qsizetype m_inflatedFromSize = -1;
    quint64 m_contentLength = 0;
    quint64 m_partialDownloadSize = 0;
    quint64 m_totalBytesRead = 0;
    quint64 m_totalBytesSent = 0;
    quint64 m_lastBytesRead = 0;
    quint64 m_lastBytesSent = 0;
    int m_authenticationNeeded = 0;

    // Authentication. The credential fields have their own lock, which is
    // never held while another is taken: a HEAD request reads its main
    // request's fields while it holds locks of its own.
    mutable std::mutex m_credentialFieldsLock;
    QString m_username, m_password, m_domain;
    QString m_proxyUsername, m_proxyPassword, m_proxyDomain;
    bool m_useKeychainPersistence = false;
    bool m_useSessionPersistence = true;
    bool m_shouldPresentCredentialsBeforeChallenge = true;
    bool m_shouldPresentAuthenticationDialog = false;
    bool m_shouldPresentProxyAuthenticationDialog = true;
    QString m_authenticationScheme, m_authenticationRealm;
    QString m_proxyAuthenticationScheme, m_proxyAuthenticationRealm;
    Credentials m_requestCredentials, m_proxyCredentials;
    int m_authenticationRetryCount = 0;
    int m_proxyAuthenticationRetryCount = 0;
    // Applications through the current challenge object (NTLM gives up
    // after its two messages).
    int m_challengeApplications = 0;
    int m_proxyChallengeApplications = 0;
    std::shared_ptr<platform::HTTPAuthentication> m_requestAuthentication;
    std::shared_ptr<platform::HTTPAuthentication> m_proxyAuthentication;
    // The last challenge answer, for a step run again after the stream is gone.
    platform::HTTPMessage m_challengeResponse;
    // Session credentials sent before any challenge in this run.
    Credentials m_sentBeforeChallenge, m_proxySentBeforeChallenge;
    QString m_sentBeforeChallengeRealm;
    // A HEAD request redirected away from its main request's origin no
    // longer borrows that request's credentials.
    bool m_leftMainRequestOrigin = false;
    Block m_authenticationNeededBlock, m_proxyAuthenticationNeededBlock;

    // Redirects.
    bool m_shouldRedirect = true;
    bool m_needsRedirect = false;
    int m_redirectCount = 0;
    bool m_shouldUseRFC2616RedirectBehaviour = false;

    // Compression and downloads.
    bool m_allowCompressedResponse = true;
    bool m_shouldWaitToInflateCompressedResponses = true;
    std::unique_ptr<VNDataDecompressor> m_dataDecompressor;
    QString m_downloadDestinationPath;
    QString m_temporaryFileDownloadPath;
    QString m_temporaryUncompressedDataDownloadPath;
    std::unique_ptr<QFile> m_fileDownloadOutputStream;
    std::unique_ptr<QFile> m_inflatedFileDownloadOutputStream;
    bool m_allowResumeForFileDownloads = false;

    // Progress and throttling (_Progress).
    void updateUploadProgress();
    void updateDownloadProgress();
    void removeUploadProgressSoFar();
    void resetProgressOnStart();
    void performThrottling();
    qint64 throttledReadLength(qint64 normalLength);
    void countBytesRead(qint64 count);
    bool throttleWakeUpPending() const;
    std::optional<Stream::BodySource> throttledBodySource(std::unique_ptr<VNInputStream> input);
    std::function<void()> bodyThrottle();
    void sendProgress(void (VNProgressDelegate::*call)(VNHTTPRequest&, qint64),
        const std::shared_ptr<VNProgressReceiverField>& field, qint64 amount);
    std::shared_ptr<VNProgressReceiverField> m_uploadProgressField = std::make_shared<VNProgressReceiverField>();
    std::shared_ptr<VNProgressReceiverField> m_downloadProgressField = std::make_shared<VNProgressReceiverField>();
    bool m_showAccurateProgress = true;
    bool m_updatedProgress = false;
    bool m_shouldResetUploadProgress = true;
    bool m_shouldResetDownloadProgress = true;
    AmountBlock m_bytesReceivedBlock, m_bytesSentBlock;
    SizeBlock m_downloadSizeIncrementedBlock, m_uploadSizeIncrementedBlock;
    std::shared_ptr<std::atomic<bool>> m_throttlePending = std::make_shared<std::atomic<bool>>(false);

    // Download cache (_Cache).
    bool useCacheOnStart();
    bool useCacheForResponse();
    bool useCacheAfterFailure();
    void storeResponseInCache();
    void useDataFromCache();
    VNDownloadCache* m_downloadCache = defaultCache();
    int m_cachePolicy = 0;
    int m_cacheStoragePolicy = 0;
    double m_secondsToCache = 0;
    bool m_didUseCachedResponse = false;

    QVariantMap m_userInfo;
    qint64 m_tag = 0;
};
