// Shows the promotion window on the real web engine for end-to-end tests:
// the page address is the first argument. It writes "loaded.txt" (or
// "failed.txt", with the spinner's state) into its working folder when the
// page load ends, and "opened.txt" with the first link handed to the opener,
// then quits.
//
// With "--web-view" instead, a bare web view on a blue window shows a page
// given as text: transparent, with its element "banner" hidden once loaded.
// "ready.txt" is written then; a click that would navigate is refused and
// written to "clicked.txt" (address, a blank, the clicked element's id).
#include "CHOpeningURL.h"
#include "CHPromoAppsWindowController.h"
#include "CHPromoAppsWindowManager.h"
#include "PromoAppsInfo.h"

#include "platform/appkit/ProgressSpinner.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

// The web engine's own code frees some objects through a base of another
// size; that is the library's, and the sanitizer build would stop on it.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

namespace {
void writeFile(const QString& name, const QString& text)
{
    QFile file(name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

class ProbeController : public CHPromoAppsWindowController {
public:
    void webViewDidFinishLoad() override
    {
        CHPromoAppsWindowController::webViewDidFinishLoad();
        writeFile(QStringLiteral("loaded.txt"), QStringLiteral("loaded"));
    }
    void webViewDidFailLoad(const QString& reason) override
    {
        CHPromoAppsWindowController::webViewDidFailLoad(reason);
        platform::ProgressSpinner* spinner = loadingProgressIndicator();
        writeFile(QStringLiteral("failed.txt"), QStringLiteral("animating=%1 visible=%2")
                                                    .arg(int(spinner->isAnimating()))
                                                    .arg(int(spinner->isVisible())));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
};
const char* const kPage = R"(<!DOCTYPE html>
<html><body style="margin:0;background:transparent">
<div id="banner" style="position:fixed;left:0;top:0;width:100%;height:50%;background:#0f0"></div>
<a id="go" href="next?x=1" style="position:fixed;left:0;top:50%;width:100%;height:50%;display:block"><span>Go</span></a>
</body></html>
)";

class ProbeWebViewDelegate : public platform::WebViewDelegate {
public:
    explicit ProbeWebViewDelegate(platform::WebView* view)
        : m_view(view)
    {
    }
    void webViewDidFinishLoad() override
    {
        m_view->hideElementById(QStringLiteral("banner"));
        writeFile(QStringLiteral("ready.txt"), QStringLiteral("ready"));
    }
    Policy decidePolicyForNavigation(const QUrl& url, const QString& elementId) override
    {
        if (elementId.isEmpty())
            return Policy::Use;
        writeFile(QStringLiteral("clicked.txt"), url.toString() + QLatin1Char(' ') + elementId);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return Policy::Ignore;
    }

private:
    platform::WebView* m_view;
};

int showBareWebView(QApplication& app)
{
    auto* window = new QWidget;
    window->setWindowTitle(QStringLiteral("Web view probe"));
    window->resize(400, 300);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::blue);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    std::unique_ptr<platform::WebView> view = platform::WebView::create(window);
    ProbeWebViewDelegate delegate(view.get());
    view->setDelegate(&delegate);
    view->setTransparent(true);
    layout->addWidget(view->widget());
    view->loadHTML(QString::fromUtf8(kPage), QUrl(QStringLiteral("http://127.0.0.1:1/base/")));
    window->show();
    const int result = app.exec();
    view.reset();
    delete window;
    return result;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    if (QString::fromLocal8Bit(argv[1]) == QLatin1String("--web-view"))
        return showBareWebView(app);
    CHOpeningURL::setURLOpener([](const QUrl& url) {
        writeFile(QStringLiteral("opened.txt"), url.toString());
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    auto* manager = CHPromoAppsWindowManager::sharedCHPromoAppsWindowManager();
    manager->setPromoAppsWindowController(std::make_unique<ProbeController>());
    auto info = PromoAppsInfo::promoAppsInfo();
    info->setTitle(QStringLiteral("Promotion probe"));
    info->setContentFrame(QRectF(0, 0, 600, 422));
    info->setCentered(true);
    info->setUrl(QUrl(QString::fromLocal8Bit(argv[1])));
    manager->showWindowWithPromoAppsInfo(info.get());
    const int result = app.exec();
    // The web view goes before the application object does.
    manager->setPromoAppsWindowController(nullptr);
    return result;
}
