#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

namespace platform {

class WebViewDelegate;

// A view that shows one web page. The web engine starts with the first
// view that is made, not with the program.
class WebView {
public:
    virtual ~WebView() = default;

    virtual QWidget* widget() = 0;
    // Not owned; null for none.
    virtual void setDelegate(WebViewDelegate* delegate) = 0;

    // Relative links of the page resolve against baseUrl.
    virtual void loadHTML(const QString& html, const QUrl& baseUrl) = 0;
    // Loads from the network, never from a cache; a load that has not
    // finished after timeoutSeconds is stopped and reported as failed.
    virtual void loadURL(const QUrl& url, double timeoutSeconds) = 0;
    virtual void stopLoading() = 0;
    virtual bool isLoading() const = 0;
    virtual QUrl url() const = 0;

    // A transparent page shows what is behind the view where it draws nothing.
    virtual void setTransparent(bool transparent) = 0;
    // Hides the page's element with that id, if it has one.
    virtual void hideElementById(const QString& elementId) = 0;

    // The web engine's view, as a child of parent. The first call loads
    // the engine; should it not load, the view shows nothing and every
    // load fails.
    static std::unique_ptr<WebView> create(QWidget* parent);
};

} // namespace platform
