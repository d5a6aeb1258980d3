#pragma once

#include "platform/web/WebViewDelegate.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

namespace platform {
class ProgressSpinner;
class WebView;
}

// The promotion window: one web page with a spinner while it loads. Links
// whose query carries the store marker "ls=1" do not navigate inside the
// window; they open in the store instead. The window and its web view are
// made the first time they are needed.
class CHPromoAppsWindowController : public QObject, public platform::WebViewDelegate {
    Q_OBJECT
public:
    CHPromoAppsWindowController();
    ~CHPromoAppsWindowController() override;

    // How the web view is made (the web engine's unless a test sets
    // another; an empty one puts the web engine back).
    using WebViewFactory = std::function<std::unique_ptr<platform::WebView>(QWidget* parent)>;
    static void setWebViewFactory(WebViewFactory factory);

    QWidget* window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    platform::WebView* webView();
    platform::ProgressSpinner* loadingProgressIndicator();

    QUrl url() const { return m_url; }
    void setUrl(const QUrl& url) { m_url = url; }
    // Loads the page of url, bypassing every cache, with a 60 s time-out.
    void loadUrl();
    void showWindow();
    void close();

    static bool isCapableForMacAppStore(const QUrl& url);

    void webViewDidStartLoad() override;
    void webViewDidFinishLoad() override;
    void webViewDidFailLoad(const QString& reason) override;
    Policy decidePolicyForNavigation(const QUrl& url, const QString& elementId) override;

    // The pointer over a window that is not the key window makes it key.
    void mouseEntered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowDidLoad();

    QUrl m_url;
    QPointer<QWidget> m_window;
    std::unique_ptr<platform::WebView> m_webView;
    QPointer<platform::ProgressSpinner> m_spinner;
};
