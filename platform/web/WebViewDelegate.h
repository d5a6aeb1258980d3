#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// What a web view tells its owner about loading and asks before it
// navigates. Every method is optional: the defaults do nothing and let
// every navigation go ahead.
class WebViewDelegate {
public:
    enum class Policy { Use, Ignore };

    virtual ~WebViewDelegate() = default;
    virtual void webViewDidStartLoad() {}
    virtual void webViewDidFinishLoad() {}
    // The page could not be loaded (network error, time-out, stopped).
    virtual void webViewDidFailLoad(const QString& reason) { (void)reason; }
    // Asked before the main frame goes to url. elementId is the id of the
    // element the user clicked to get there (the nearest one that has an
    // id), empty when the navigation did not come from a click.
    virtual Policy decidePolicyForNavigation(const QUrl& url, const QString& elementId)
    {
        (void)url;
        (void)elementId;
        return Policy::Use;
    }
};

} // namespace platform
