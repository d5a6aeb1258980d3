#pragma once

#include "platform/web/WebView.h"

#include <QObject>
#include <QPointer>

class QTimer;
class QWebEngineProfile;
class QWebEngineView;

namespace platform {

class WebEnginePage;

// The web view on the web engine: an off-the-record profile without an
// HTTP cache, shared by every view of the process.
class WebEngineView : public QObject, public WebView {
    Q_OBJECT
public:
    explicit WebEngineView(QWidget* parent);
    ~WebEngineView() override;

    QWidget* widget() override;
    void setDelegate(WebViewDelegate* delegate) override { m_delegate = delegate; }
    void loadHTML(const QString& html, const QUrl& baseUrl) override;
    void loadURL(const QUrl& url, double timeoutSeconds) override;
    void stopLoading() override;
    bool isLoading() const override { return m_loading; }
    QUrl url() const override;
    void setTransparent(bool transparent) override;
    void hideElementById(const QString& elementId) override;

    // The page goes now (the application is ending); the view stays, empty.
    void releasePage();
    static void releaseAllPages();

private:
    static QWebEngineProfile* profile();
    void started();
    void finished(bool ok);
    void timedOut();

    QPointer<QWebEngineView> m_view;
    QPointer<WebEnginePage> m_page;
    WebViewDelegate* m_delegate = nullptr;
    QTimer* m_timeout = nullptr;
    double m_timeoutSeconds = 0;
    bool m_loading = false;
};

} // namespace platform
