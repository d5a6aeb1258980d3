#include "MyPushAdViewController.h"

#include "MyPushAdBoxView.h"
#include "MyPushAdLog.h"
#include "MyPushAdURLOpener.h"
#include "MyPushAdViewControllerDelegate.h"

#include "platform/web/WebView.h"

#include <QGridLayout>
#include <QTimer>


namespace {
MyPushAdViewController::WebViewFactory& factory()
{
    static MyPushAdViewController::WebViewFactory current;
    return current;
}
} // namespace

void MyPushAdViewController::setWebViewFactory(WebViewFactory replacement)
{
    factory() = std::move(replacement);
}

QString MyPushAdViewController::closeElementId()
{
    return QStringLiteral("cocoa_close_web");
}

std::unique_ptr<MyPushAdViewController> MyPushAdViewController::createInstanceWithPushAdMode(qint64 mode)
{
    return std::unique_ptr<MyPushAdViewController>(new MyPushAdViewController(mode));
}

MyPushAdViewController::MyPushAdViewController(qint64 mode)
    : m_pushAdMode(mode)
{
    auto* box = new MyPushAdBoxView;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = box;
    m_webView = factory() ? factory()(box) : platform::WebView::create(box);
    m_webView->setDelegate(this);
    layout->addWidget(m_webView->widget(), 0, 0);
    viewDidLoad();
}

MyPushAdViewController::~MyPushAdViewController()
{
    m_webView->setDelegate(nullptr);
    // The web view's widget lives in the box: it goes first, then the box
    // (unless a host view that held it already took it down).
    m_webView.reset();
    delete m_view.data();
}

void MyPushAdViewController::viewDidLoad()
{
    // The page keeps a background of its own in both modes. A pop-up has
    // nothing of the host behind it; and a banner's transparent page, a
    // web view inside another program's view, is drawn as an empty grey box
    // on an X display: not a line of the ad is seen. An opaque banner is
    // at least seen whole.
    m_webView->setTransparent(false);
}

MyPushAdBoxView* MyPushAdViewController::view() const
{
    return m_view;
}

namespace {
QUrl& pageBase()
{
    static QUrl base;
    return base;
}
} // namespace

void MyPushAdViewController::setPageBaseURL(const QUrl& descriptionURL)
{
    const QString scheme = descriptionURL.scheme().toLower();
    if (descriptionURL.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
        pageBase() = descriptionURL.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    else
        pageBase() = QUrl();
}

QUrl MyPushAdViewController::baseURL()
{
    return pageBase();
}

void MyPushAdViewController::loadDataWithTitle(const QString& title, const QString& htmlString)
{
    if (!title.isNull()) {
        m_title = title;
        emit titleChanged(title);
    }
    if (!htmlString.isNull())
        m_webView->loadHTML(htmlString, baseURL());
}

void MyPushAdViewController::changeViewSize(const QSize& size)
{
    if (m_view)
        m_view->resize(size);
}

void MyPushAdViewController::handleCloseButtonClicked()
{
    if (m_delegate)
        m_delegate->pushAdViewControllerCloseButtonDidClick(this);
}

bool MyPushAdViewController::isCapableForMacAppStore(const QUrl& url)
{
    const QString query = url.query(QUrl::FullyEncoded);
    return !query.isEmpty() && query.contains(QStringLiteral("ls=1"), Qt::CaseInsensitive);
}

bool MyPushAdViewController::isCloseButtonActionForNavigationAction(const QString& clickedElementId)
{
    return !clickedElementId.isEmpty() && clickedElementId == closeElementId();
}

QUrl MyPushAdViewController::storeURLForLink(const QUrl& link)
{
    const QString absolute = link.toString(QUrl::FullyEncoded);
    const QString last = absolute.split(QStringLiteral("://")).last();
    return QUrl(QStringLiteral("macappstore://%1").arg(last));
}

void MyPushAdViewController::webViewDidFinishLoad()
{
    // A pop-up window has its own close button: the page's goes.
    if (m_pushAdMode == PopupMode)
        m_webView->hideElementById(closeElementId());
}

platform::WebViewDelegate::Policy MyPushAdViewController::decidePolicyForNavigation(const QUrl& url, const QString& elementId)
{
    if (isCapableForMacAppStore(url)) {
        const QUrl store = storeURLForLink(url);
        PAU_LOG(QStringLiteral("Opening URL:[%1]").arg(store.toString()));
        MyPushAdURLOpener::openURL(store);
        return Policy::Ignore;
    }
    if (isCloseButtonActionForNavigationAction(elementId)) {
        // The web view is still deciding: the box may only leave its host
        // once the decision is back with the engine.
        QTimer::singleShot(0, this, &MyPushAdViewController::handleCloseButtonClicked);
        return Policy::Ignore;
    }
    return Policy::Use;
}
