#include "CHPromoAppsWindowController.h"

#include "CHOpeningURL.h"

#include "platform/appkit/ProgressSpinner.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/web/WebView.h"

#include <QEvent>
#include <QGridLayout>
#include <QWidget>

namespace {
constexpr double kLoadTimeoutSeconds = 60.0;

CHPromoAppsWindowController::WebViewFactory& factory()
{
    static CHPromoAppsWindowController::WebViewFactory current;
    return current;
}
} // namespace

void CHPromoAppsWindowController::setWebViewFactory(WebViewFactory replacement)
{
    factory() = std::move(replacement);
}

CHPromoAppsWindowController::CHPromoAppsWindowController() = default;

CHPromoAppsWindowController::~CHPromoAppsWindowController()
{
    platform::exceptionGuard([this] {
        if (m_webView)
            m_webView->setDelegate(nullptr);
        m_webView.reset();
        delete m_window.data();
    });
}

QWidget* CHPromoAppsWindowController::window()
{
    if (!m_window)
        windowDidLoad();
    return m_window;
}

void CHPromoAppsWindowController::windowDidLoad()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(platform::Bundle::name());
    window->setAccessibleName(QStringLiteral("Promotion"));
    window->resize(600, 422);
    auto* layout = new QGridLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    m_window = window;

    m_webView = factory() ? factory()(window) : platform::WebView::create(window);
    m_webView->setDelegate(this);
    layout->addWidget(m_webView->widget(), 0, 0);

    m_spinner = new platform::ProgressSpinner(window);
    m_spinner->setFixedSize(32, 32);
    m_spinner->hide();
    layout->addWidget(m_spinner, 0, 0, Qt::AlignCenter);

    // Entering the page, or moving over it, makes the window key.
    window->installEventFilter(this);
    m_webView->widget()->setAttribute(Qt::WA_Hover);
    m_webView->widget()->installEventFilter(this);
}

platform::WebView* CHPromoAppsWindowController::webView()
{
    window();
    return m_webView.get();
}

platform::ProgressSpinner* CHPromoAppsWindowController::loadingProgressIndicator()
{
    window();
    return m_spinner;
}

void CHPromoAppsWindowController::loadUrl()
{
    platform::exceptionGuard([this] {
        if (m_url.isValid() && !m_url.isEmpty())
            webView()->loadURL(m_url, kLoadTimeoutSeconds);
    });
}

void CHPromoAppsWindowController::showWindow()
{
    QWidget* w = window();
    w->show();
    w->raise();
    w->activateWindow();
}

void CHPromoAppsWindowController::close()
{
    if (m_window)
        m_window->close();
}

bool CHPromoAppsWindowController::isCapableForMacAppStore(const QUrl& url)
{
    bool capable = false;
    platform::exceptionGuard([&] {
        const QString query = url.query(QUrl::FullyEncoded);
        capable = !query.isEmpty() && query.contains(QStringLiteral("ls=1"), Qt::CaseInsensitive);
    });
    return capable;
}

void CHPromoAppsWindowController::webViewDidStartLoad()
{
    platform::exceptionGuard([this] {
        if (!m_spinner)
            return;
        m_spinner->show();
        m_spinner->raise();
        m_spinner->startAnimation();
    });
}

void CHPromoAppsWindowController::webViewDidFinishLoad()
{
    platform::exceptionGuard([this] {
        if (!m_spinner)
            return;
        m_spinner->hide();
        m_spinner->stopAnimation();
    });
}

void CHPromoAppsWindowController::webViewDidFailLoad(const QString& reason)
{
    (void)reason;
    // A page that cannot be loaded must not leave the spinner turning.
    webViewDidFinishLoad();
}

platform::WebViewDelegate::Policy CHPromoAppsWindowController::decidePolicyForNavigation(const QUrl& url,
                                                                                          const QString& elementId)
{
    (void)elementId;
    Policy policy = Policy::Use;
    platform::exceptionGuard([&] {
        if (!isCapableForMacAppStore(url))
            return;
        policy = Policy::Ignore;
        CHOpeningURL::openInStore(QStringLiteral("WebViewItemClicked"), url.toString(QUrl::FullyEncoded), this);
    });
    return policy;
}

void CHPromoAppsWindowController::mouseEntered()
{
    platform::exceptionGuard([this] {
        if (m_window && !m_window->isActiveWindow())
            m_window->activateWindow();
    });
}

bool CHPromoAppsWindowController::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::MouseMove:
        mouseEntered();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
