#pragma once

#include "WebView.h"

#include <QObject>
#include <QPointer>

namespace platform {

// What shows in place of a page when the web engine could not be loaded:
// an empty view whose every load fails, so its owner stops waiting.
class UnavailableWebView : public QObject, public WebView {
    Q_OBJECT
public:
    explicit UnavailableWebView(QWidget* parent);
    ~UnavailableWebView() override;

    QWidget* widget() override;
    void setDelegate(WebViewDelegate* delegate) override { m_delegate = delegate; }
    void loadHTML(const QString& html, const QUrl& baseUrl) override;
    void loadURL(const QUrl& url, double timeoutSeconds) override;
    void stopLoading() override {}
    bool isLoading() const override { return false; }
    QUrl url() const override { return m_url; }
    void setTransparent(bool) override {}
    void hideElementById(const QString&) override {}

private:
    void fail();

    QPointer<QWidget> m_view;
    WebViewDelegate* m_delegate = nullptr;
    QUrl m_url;
};

} // namespace platform
