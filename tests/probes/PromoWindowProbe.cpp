// Shows the promotion window on the real web engine for end-to-end tests:
// the page address is the first argument. It writes "loaded.txt" (or
// "failed.txt", with the spinner's state) into its working folder when the
// page load ends, and "opened.txt" with the first link handed to the opener,
// then quits.
#include "CHOpeningURL.h"
#include "CHPromoAppsWindowController.h"
#include "CHPromoAppsWindowManager.h"
#include "PromoAppsInfo.h"

#include "platform/appkit/ProgressSpinner.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

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
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
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
