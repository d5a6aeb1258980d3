#include "WebEngineView.h"

#include "WebEnginePage.h"
#include "platform/web/WebViewDelegate.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonValue>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace platform {

QWebEngineProfile* WebEngineView::profile()
{
    // Off the record: nothing of the pages is kept on disk.
    static QWebEngineProfile* shared = [] {
        auto* profile = new QWebEngineProfile(QCoreApplication::instance());
        profile->setHttpCacheType(QWebEngineProfile::NoCache);
        return profile;
    }();
    return shared;
}

WebEngineView::WebEngineView(QWidget* parent)
    : m_view(new QWebEngineView(parent))
    , m_timeout(new QTimer(this))
{
    m_page = new WebEnginePage(profile(), m_view);
    m_view->setPage(m_page);
    m_view->setAccessibleName(QStringLiteral("Web page"));
    m_page->setDecider([this](const QUrl& url, const QString& elementId) {
        if (!m_delegate)
            return true;
        return m_delegate->decidePolicyForNavigation(url, elementId) == WebViewDelegate::Policy::Use;
    });
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, &WebEngineView::timedOut);
    connect(m_page, &QWebEnginePage::loadStarted, this, &WebEngineView::started);
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebEngineView::finished);
}

WebEngineView::~WebEngineView()
{
    m_delegate = nullptr;
    // The page goes before the view, and both before the shared profile.
    delete m_view.data();
}

QWidget* WebEngineView::widget()
{
    return m_view;
}

void WebEngineView::loadHTML(const QString& html, const QUrl& baseUrl)
{
    m_timeoutSeconds = 0;
    m_page->setHtml(html, baseUrl);
}

void WebEngineView::loadURL(const QUrl& url, double timeoutSeconds)
{
    m_timeoutSeconds = timeoutSeconds;
    // Loading from here on: the engine may refuse the address before it
    // ever starts, and that must still end as a failed load.
    m_loading = true;
    if (m_timeoutSeconds > 0)
        m_timeout->start(int(m_timeoutSeconds * 1000));
    m_page->load(url);
}

void WebEngineView::stopLoading()
{
    m_page->triggerAction(QWebEnginePage::Stop);
}

QUrl WebEngineView::url() const
{
    return m_page->url();
}

void WebEngineView::setTransparent(bool transparent)
{
    m_page->setBackgroundColor(transparent ? QColor(Qt::transparent) : QColor(Qt::white));
}

void WebEngineView::hideElementById(const QString& elementId)
{
    // The id travels as a JSON string, so no text of it runs as script.
    const QString quoted = QString::fromUtf8(QJsonDocument::fromVariant(QVariantList{elementId}).toJson(QJsonDocument::Compact));
    m_page->runJavaScript(QStringLiteral("(function (ids) { var e = document.getElementById(ids[0]);"
                                         " if (e) e.style.display = 'none'; })(%1);").arg(quoted));
}

void WebEngineView::started()
{
    m_loading = true;
    if (m_timeoutSeconds > 0 && !m_timeout->isActive())
        m_timeout->start(int(m_timeoutSeconds * 1000));
    if (m_delegate)
        m_delegate->webViewDidStartLoad();
}

void WebEngineView::finished(bool ok)
{
    if (!m_loading)
        return; // already reported (a time-out)
    m_loading = false;
    m_timeout->stop();
    if (!m_delegate)
        return;
    if (ok)
        m_delegate->webViewDidFinishLoad();
    else
        m_delegate->webViewDidFailLoad(QStringLiteral("The page could not be loaded."));
}

void WebEngineView::timedOut()
{
    if (!m_loading)
        return;
    m_loading = false;
    m_page->triggerAction(QWebEnginePage::Stop);
    if (m_delegate)
        m_delegate->webViewDidFailLoad(QStringLiteral("The request timed out."));
}

} // namespace platform

// What the program finds when it loads this module, on the first page it
// shows (see WebView::create).
extern "C" Q_DECL_EXPORT platform::WebView* velumoMakeWebEngineView(QWidget* parent)
{
    return new platform::WebEngineView(parent);
}
