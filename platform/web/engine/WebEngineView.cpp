#include "WebEngineView.h"

#include "WebEnginePage.h"
#include "platform/web/WebViewDelegate.h"

#include <QCoreApplication>
#include <QSet>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QJsonDocument>
#include <QJsonValue>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace platform {

namespace {
// Whatever a page asks for, nothing is read from the user's files.
class LocalFileBlocker : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (info.requestUrl().isLocalFile() || info.requestUrl().scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0)
            info.block(true);
    }
};

// Every view alive, so that their pages can go before the profile does.
QSet<WebEngineView*>& liveViews()
{
    static QSet<WebEngineView*> views;
    return views;
}
} // namespace

QWebEngineProfile* WebEngineView::profile()
{
    // Off the record: nothing of the pages is kept on disk.
    static QWebEngineProfile* shared = [] {
        auto* profile = new QWebEngineProfile(QCoreApplication::instance());
        profile->setHttpCacheType(QWebEngineProfile::NoCache);
        profile->setUrlRequestInterceptor(new LocalFileBlocker(profile));
        // The profile goes with the application; views that live on (a
        // window kept for the whole process) give their pages up first,
        // since a page must never outlive its profile. The routine runs as
        // the application ends, before the engine itself shuts down.
        qAddPostRoutine(&WebEngineView::releaseAllPages);
        return profile;
    }();
    return shared;
}

void WebEngineView::releaseAllPages()
{
    const QSet<WebEngineView*> views = liveViews();
    for (WebEngineView* view : views)
        view->releasePage();
}

void WebEngineView::releasePage()
{
    m_loading = false;
    if (m_timeout)
        m_timeout->stop();
    delete m_page.data();
}

WebEngineView::WebEngineView(QWidget* parent)
    : m_view(new QWebEngineView(parent))
    , m_timeout(new QTimer(this))
{
    liveViews().insert(this);
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
    liveViews().remove(this);
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
    if (!m_page)
        return;
    // A page given a local base would count as local content: it gets none.
    m_page->setHtml(html, baseUrl.isLocalFile() ? QUrl() : baseUrl);
}

void WebEngineView::loadURL(const QUrl& url, double timeoutSeconds)
{
    m_timeoutSeconds = timeoutSeconds;
    // Loading from here on: the engine may refuse the address before it
    // ever starts, and that must still end as a failed load.
    m_loading = true;
    if (m_timeoutSeconds > 0)
        m_timeout->start(int(m_timeoutSeconds * 1000));
    if (m_page)
        m_page->load(url);
}

void WebEngineView::stopLoading()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

QUrl WebEngineView::url() const
{
    return m_page ? m_page->url() : QUrl();
}

void WebEngineView::setTransparent(bool transparent)
{
    if (m_page)
        m_page->setBackgroundColor(transparent ? QColor(Qt::transparent) : QColor(Qt::white));
}

void WebEngineView::hideElementById(const QString& elementId)
{
    if (!m_page)
        return;
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
    if (m_page)
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
