#pragma once

#include "VNHTTPRequestDelegate.h"
#include "VNProgressDelegate.h"
#include "VNProgressReceiverField.h"

#include "platform/network/HTTPHeaderFields.h"
#include "platform/network/OperationQueue.h"

#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>

class VNHTTPRequest;

// An operation queue for requests. It starts suspended, so requests
// collect until go(); it relays each request's events to the caller's
// callbacks, sums the progress of all its requests for two progress
// receivers (learning a GET's size first from a HEAD request when asked
// for accurate progress), and can cancel the rest when one request fails.
// Callbacks run on the main thread.
class VNNetworkQueue : public platform::OperationQueue {
public:
    using RequestCallback = std::function<void(VNHTTPRequest&)>;
    using HeadersCallback = std::function<void(VNHTTPRequest&, const platform::HTTPHeaderFields&)>;
    using RedirectCallback = std::function<void(VNHTTPRequest&, const QUrl&)>;
    using QueueCallback = std::function<void(VNNetworkQueue&)>;

    static std::unique_ptr<VNNetworkQueue> queue();
    VNNetworkQueue();
    // Requests still queued stop reporting here. A callback may destroy
    // its queue; one running on another thread is waited for.
    ~VNNetworkQueue();

    void go();
    // Throws VNNetworkQueueException ("AttemptToAddInvalidRequest") for
    // anything that is not a VNHTTPRequest.
    void addOperation(const std::shared_ptr<platform::Operation>& operation);
    void addHEADOperation(const std::shared_ptr<platform::Operation>& operation);
    void cancelAllOperations();
    // Cancels everything, forgets the callbacks and receivers, suspends.
    void reset();
    // A new suspended queue with the same settings, callbacks and receivers.
    std::unique_ptr<VNNetworkQueue> copy() const;

    std::shared_ptr<VNHTTPRequestDelegate> delegate() const { return m_delegate.lock(); }
    // Asked about authentication on the requests' behalf; held weakly.
    void setDelegate(const std::shared_ptr<VNHTTPRequestDelegate>& delegate);
    std::shared_ptr<VNProgressDelegate> uploadProgressDelegate() const { return m_uploadProgressField->get(); }
    void setUploadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate);
    std::shared_ptr<VNProgressDelegate> downloadProgressDelegate() const { return m_downloadProgressField->get(); }
    void setDownloadProgressDelegate(const std::shared_ptr<VNProgressDelegate>& delegate);

    void setRequestDidStartSelector(RequestCallback callback) { m_requestDidStart = std::move(callback); }
    void setRequestDidReceiveResponseHeadersSelector(HeadersCallback callback) { m_requestDidReceiveResponseHeaders = std::move(callback); }
    // Set, the queue confirms redirects: the callback must call
    // redirectToURL() on the request.
    void setRequestWillRedirectSelector(RedirectCallback callback);
    void setRequestDidFinishSelector(RequestCallback callback) { m_requestDidFinish = std::move(callback); }
    void setRequestDidFailSelector(RequestCallback callback) { m_requestDidFail = std::move(callback); }
    void setQueueDidFinishSelector(QueueCallback callback) { m_queueDidFinish = std::move(callback); }

    bool shouldCancelAllRequestsOnFailure() const { return m_shouldCancelAllRequestsOnFailure; }
    void setShouldCancelAllRequestsOnFailure(bool on) { m_shouldCancelAllRequestsOnFailure = on; }
    bool showAccurateProgress() const { return m_showAccurateProgress; }
    void setShowAccurateProgress(bool on) { m_showAccurateProgress = on; }
    QVariantMap userInfo() const { return m_userInfo; }
    void setUserInfo(const QVariantMap& info) { m_userInfo = info; }

    // Requests added and not yet finished or failed.
    int requestsCount() const;
    // Signed: a restart takes back bytes already counted.
    qint64 bytesUploadedSoFar() const;
    qint64 totalBytesToUpload() const;
    qint64 bytesDownloadedSoFar() const;
    qint64 totalBytesToDownload() const;

    // What the requests report (on the main thread).
    void requestStarted(VNHTTPRequest& request);
    void requestDidReceiveResponseHeaders(VNHTTPRequest& request, const platform::HTTPHeaderFields& headers);
    void requestWillRedirect(VNHTTPRequest& request, const QUrl& url);
    void requestFinished(VNHTTPRequest& request);
    void requestFailed(VNHTTPRequest& request);
    void authenticationNeededForRequest(VNHTTPRequest& request);
    void proxyAuthenticationNeededForRequest(VNHTTPRequest& request);
    void requestDidReceiveBytes(VNHTTPRequest& request, qint64 bytes);
    void requestDidSendBytes(VNHTTPRequest& request, qint64 bytes);
    void requestIncrementDownloadSizeBy(VNHTTPRequest& request, qint64 bytes);
    void requestIncrementUploadSizeBy(VNHTTPRequest& request, qint64 bytes);

private:
    class Relay;
    void resetProgressDelegate(const std::shared_ptr<VNProgressReceiverField>& field);

    // What the requests hold instead of the queue itself, so a queue that
    // goes away while requests still run is simply no longer told. It also
    // answers the questions requests ask from their own thread, from
    // copies of the settings, so that thread never reaches the queue.
    std::shared_ptr<Relay> m_relay;
    std::weak_ptr<VNHTTPRequestDelegate> m_delegate;
    std::shared_ptr<VNProgressReceiverField> m_uploadProgressField = std::make_shared<VNProgressReceiverField>();
    std::shared_ptr<VNProgressReceiverField> m_downloadProgressField = std::make_shared<VNProgressReceiverField>();
    RequestCallback m_requestDidStart, m_requestDidFinish, m_requestDidFail;
    HeadersCallback m_requestDidReceiveResponseHeaders;
    RedirectCallback m_requestWillRedirect;
    QueueCallback m_queueDidFinish;
    bool m_shouldCancelAllRequestsOnFailure = true;
    bool m_showAccurateProgress = false;
    QVariantMap m_userInfo;

    mutable std::mutex m_countLock;
    int m_requestsCount = 0;
    qint64 m_bytesUploadedSoFar = 0;
    qint64 m_totalBytesToUpload = 0;
    qint64 m_bytesDownloadedSoFar = 0;
    qint64 m_totalBytesToDownload = 0;
};
