#pragma once

#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"

#include <QWidget>

// A web view that loads nothing: it records what it was asked to do and
// lets the test play the engine's part through its delegate.
class FakeWebView : public platform::WebView {
public:
    explicit FakeWebView(QWidget* parent)
        : m_widget(new QWidget(parent))
    {
    }
    QWidget* widget() override { return m_widget; }
    void setDelegate(platform::WebViewDelegate* delegate) override { m_delegate = delegate; }
    void loadHTML(const QString& html, const QUrl& baseUrl) override
    {
        loadedHTML = html;
        loadedURL = baseUrl;
    }
    void loadURL(const QUrl& url, double timeoutSeconds) override
    {
        loadedURL = url;
        timeout = timeoutSeconds;
        ++loads;
    }
    void stopLoading() override {}
    bool isLoading() const override { return false; }
    QUrl url() const override { return loadedURL; }
    void setTransparent(bool transparent) override { this->transparent = transparent; }
    void hideElementById(const QString& elementId) override { hidden << elementId; }

    platform::WebViewDelegate* delegate() const { return m_delegate; }

    QString loadedHTML;
    QUrl loadedURL;
    double timeout = 0;
    int loads = 0;
    bool transparent = false;
    QStringList hidden;

private:
    QWidget* m_widget;
    platform::WebViewDelegate* m_delegate = nullptr;
};
