#pragma once

#include <QByteArray>
#include <QUrl>

namespace platform {
class HTTPHeaderFields;
}
class VNHTTPRequest;

// What a request tells the object that watches it (its delegate) and the
// queue that owns it. Every method is optional and runs on the main
// thread. Where the request behaves differently depending on whether
// anyone listens (a redirect waits for confirmation, received data is not
// kept), the listener says so through the matching wants...() answer.
class VNHTTPRequestDelegate {
public:
    virtual ~VNHTTPRequestDelegate() = default;

    virtual void requestStarted(VNHTTPRequest&) {}
    virtual void requestDidReceiveResponseHeaders(VNHTTPRequest&, const platform::HTTPHeaderFields&) {}
    virtual void requestFinished(VNHTTPRequest&) {}
    virtual void requestFailed(VNHTTPRequest&) {}
    virtual void requestRedirected(VNHTTPRequest&) {}

    // Answer true to confirm redirects yourself: the request then waits
    // until redirectToURL() is called with the address to go to.
    virtual bool wantsToConfirmRedirects() const { return false; }
    virtual void requestWillRedirect(VNHTTPRequest&, const QUrl&) {}

    // Answer true to take the body piece by piece; the request keeps none of it.
    virtual bool wantsReceivedData() const { return false; }
    virtual void requestDidReceiveData(VNHTTPRequest&, const QByteArray&) {}

    // Asked when the server (401) or the proxy (407) wants credentials.
    virtual bool handlesAuthentication() const { return false; }
    virtual void authenticationNeededForRequest(VNHTTPRequest&) {}
    virtual void proxyAuthenticationNeededForRequest(VNHTTPRequest&) {}
};
