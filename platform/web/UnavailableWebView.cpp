#include "UnavailableWebView.h"

#include "WebViewDelegate.h"

#include <QTimer>
#include <QWidget>

namespace platform {

UnavailableWebView::UnavailableWebView(QWidget* parent)
    : m_view(new QWidget(parent))
{
    m_view->setAccessibleName(QStringLiteral("Web page"));
}

UnavailableWebView::~UnavailableWebView()
{
    delete m_view.data();
}

QWidget* UnavailableWebView::widget()
{
    return m_view;
}

void UnavailableWebView::loadHTML(const QString&, const QUrl& baseUrl)
{
    m_url = baseUrl;
    fail();
}

void UnavailableWebView::loadURL(const QUrl& url, double)
{
    m_url = url;
    fail();
}

void UnavailableWebView::fail()
{
    // Later, as a real load would end: the owner is still setting up.
    QTimer::singleShot(0, this, [this] {
        if (m_delegate)
            m_delegate->webViewDidFailLoad(QStringLiteral("The page could not be loaded."));
    });
}

} // namespace platform
