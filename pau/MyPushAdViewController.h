#pragma once

#include "platform/web/WebViewDelegate.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class MyPushAdBoxView;
class MyPushAdViewControllerDelegate;

namespace platform {
class WebView;
}

// Shows one ad page in a web view inside a box, as a banner in the host's
// view or as the content of the pop-up window. Store links go to the
// store; a click on the page's close element goes to the delegate.
class MyPushAdViewController : public QObject, public platform::WebViewDelegate {
    Q_OBJECT
public:
    enum Mode { PopupMode = 0, BannerMode = 1 };

    static std::unique_ptr<MyPushAdViewController> createInstanceWithPushAdMode(qint64 mode);
    ~MyPushAdViewController() override;

    // How the web view is made (the web engine's unless a test sets
    // another; an empty one puts the web engine back).
    using WebViewFactory = std::function<std::unique_ptr<platform::WebView>(QWidget* parent)>;
    static void setWebViewFactory(WebViewFactory factory);

    static QString closeElementId(); // "cocoa_close_web"

    qint64 pushAdMode() const { return m_pushAdMode; }
    // Not owned; null for none.
    MyPushAdViewControllerDelegate* delegate() const { return m_delegate; }
    void setDelegate(MyPushAdViewControllerDelegate* delegate) { m_delegate = delegate; }

    // The box; null once someone else destroyed it (a host view that went).
    MyPushAdBoxView* view() const;
    platform::WebView* legacyWebView() const { return m_webView.get(); }
    QString title() const { return m_title; }

    // A null title or page leaves that one as it is.
    void loadDataWithTitle(const QString& title, const QString& htmlString);
    void changeViewSize(const QSize& size);
    void handleCloseButtonClicked();

    static bool isCapableForMacAppStore(const QUrl& url);
    static bool isCloseButtonActionForNavigationAction(const QString& clickedElementId);
    // "macappstore://" followed by what comes after the link's last "://".
    static QUrl storeURLForLink(const QUrl& link);
    // Where the page's relative links lead: the ad's own server (the
    // folder of the description's web address), never a local file, so a
    // page has no reach into the user's files. Empty when the description
    // came from no web server.
    static QUrl baseURL();
    static void setPageBaseURL(const QUrl& descriptionURL);

    void webViewDidFinishLoad() override;
    Policy decidePolicyForNavigation(const QUrl& url, const QString& elementId) override;

signals:
    void titleChanged(const QString& title);

private:
    explicit MyPushAdViewController(qint64 mode);
    void viewDidLoad();

    qint64 m_pushAdMode = PopupMode;
    MyPushAdViewControllerDelegate* m_delegate = nullptr;
    QPointer<MyPushAdBoxView> m_view;
    std::unique_ptr<platform::WebView> m_webView;
    QString m_title;
};
