#include "SWAppController.h"

#include "CHServerConfig.h"
#include "CHUserAnalytics.h"
#include "PrivacyPolicyWindowController.h"
#include "SWDocument.h"
#include "SWMainMenu.h"
#include "SWPreferenceController.h"

#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/Alert.h"
#include "platform/appkit/Application.h"
#include "platform/appkit/Beep.h"
#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/Sheet.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ImageFileLoader.h"
#include "platform/outside/DevMateKit.h"
#include "platform/outside/LetsMoveWrapper.h"
#include "platform/outside/LetsMoveWrapperInfo.h"
#include "platform/outside/MSAnalyticsProxy.h"
#include "platform/outside/MSAppCenterProxy.h"
#include "platform/outside/MSAppCenterWrapperFrameworkInfo.h"

#include "VTRFoundationInfo.h"
#include "VTRUIInfo.h"
#include "ZIDAboutWindowController.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {
const QString kOpeningURLNotification = QStringLiteral("VantrellNotificationOpeningURL");
const QString kTestModeArgument = QStringLiteral("-VLCheckUpdatesInTestMode");
} // namespace

SWAppController::SWAppController()
    : m_updater(&platform::DMUpdater::shared())
{
    platform::UserDefaults::standard().registerDefaults({
        {QStringLiteral("HorizontalSize"), 640},
        {QStringLiteral("VerticalSize"), 480},
        {QStringLiteral("UndoLevels"), 128},
        {QStringLiteral("FileType"), QStringLiteral("PNG")},
        {QStringLiteral("AllowAntialias"), true},
        {QStringLiteral("SWDocumentRecordedSize"), platform::stringFromSize(QSizeF(400, 300))},
    });

    platform::ColorPanel& panel = platform::ColorPanel::shared();
    panel.setShowsAlpha(true);
    panel.setMode(platform::ColorPanel::CrayonMode);

    platform::NotificationCenter::defaultCenter().addObserver(
        this, kOpeningURLNotification, nullptr,
        [this](const platform::Notification& n) { handleOpeningURLNotification(n); });

    // What the main interface and the bundle's declarations would connect:
    // the document class, the menu of every document window, and this
    // object as a target of menu commands.
    auto& documents = platform::DocumentController::shared();
    documents.setDocumentFactory([] { return new SWDocument; });
    documents.setDefaultType(QStringLiteral("png"));
    documents.setReadableExtensions(&SWDocument::readableExtensions);
    documents.setWindowSetUp([this](platform::Document* document, platform::DocumentWindow* window) {
        installMenuBar(document, window);
    });
    auto& router = platform::ActionRouter::shared();
    router.addApplicationResponder(this);
    router.addApplicationResponder(&documents);

    addAction(QStringLiteral("newDocument:"), [this](QObject*) { newDocument(); });
    addAction(QStringLiteral("newFromClipboard:"), [this](QObject*) { newFromClipboard(); });
    addAction(QStringLiteral("showPreferencePanel:"), [this](QObject*) { showPreferencePanel(); });
    addAction(QStringLiteral("showToolboxPanel:"), [this](QObject*) { showToolboxPanel(); });
    addAction(QStringLiteral("killTheSheet:"), [this](QObject*) { killTheSheet(); });
    addAction(QStringLiteral("quit:"), [this](QObject*) { quit(); });
    addAction(QStringLiteral("aboutMenuItemDidClick:"), [this](QObject*) { aboutMenuItemDidClick(); });
    addAction(QStringLiteral("feedbackButtonDidClick:"), [this](QObject*) { feedbackButtonDidClick(); });
    addAction(QStringLiteral("showFeedbackDialog:"), [this](QObject*) { showFeedbackDialog(); });
    addAction(QStringLiteral("rateAppButtonDidClick:"), [this](QObject*) { rateAppButtonDidClick(); });
    addAction(QStringLiteral("orderFrontColorPanel:"), [this](QObject*) { showColorPanel(); });
}

SWAppController::~SWAppController()
{
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    auto& router = platform::ActionRouter::shared();
    router.removeApplicationResponder(this);
    router.removeApplicationResponder(&platform::DocumentController::shared());
    platform::DocumentController::shared().setWindowSetUp({});
    // The shared services outlive this object: take back our delegate roles.
    if (m_updater && m_updater->delegate() == this)
        m_updater->setDelegate(nullptr);
    if (CHServerConfig* config = CHServerConfig::sharedCHServerConfigIfMade(); config && config->delegate() == this)
        config->setDelegate(nullptr);
    if (m_aboutWindowController)
        m_aboutWindowController->setAboutDelegate(nullptr);
    m_aboutWindowController.reset();
    m_preferenceController.reset();
}

void SWAppController::applicationWillFinishLaunching()
{
    platform::LetsMoveWrapper::PFMoveToApplicationsFolderIfNecessary();
    platform::ColorPanel::shared().setContinuous(false);
}

QStringList SWAppController::filesInArguments(const QStringList& arguments)
{
    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(QLatin1Char('-')))
            files << arguments[i];
    }
    return files;
}

void SWAppController::readFilesAhead(const QStringList& paths)
{
    // The first picture's window comes up first: its decode overlaps the
    // program's start-up. The others are read when their windows show.
    if (!paths.isEmpty())
        platform::ImageFileLoader::readAhead(paths.first());
}

void SWAppController::openFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        platform::DocumentController::shared().openDocumentReportingErrors(path);
    // A picture read ahead that no document took (refused, already open) stops.
    platform::ImageFileLoader::dropReadAhead();
}

void SWAppController::applicationDidFinishLaunching()
{
    const bool firstDone = platform::exceptionGuard([this] {
        if (m_updater)
            m_updater->setDelegate(this);
        platform::DevMateKit::sendTrackingReport(nullptr, nullptr);
        platform::DevMateKit::setupIssuesController(nullptr, true);
        prepareAndStartForAnalytics();
        CHUserAnalytics::sharedCHUserAnalytics();
        CHServerConfig::sharedCHServerConfig();
        CHServerConfig::sharedCHServerConfig()->setDelegate(this);
    });
    if (!firstDone)
        return;
    platform::exceptionGuard([] {
        auto& documents = platform::DocumentController::shared();
        if (documents.documents().isEmpty())
            documents.openUntitledDocumentAndDisplay(true);
        platform::nsLog(buildLine());
    });
}

bool SWAppController::isUpdaterInTestMode(platform::DMUpdater*)
{
    return isCheckUpdatesInTestMode();
}

bool SWAppController::isCheckUpdatesInTestMode() const
{
    const QStringList arguments = platform::Bundle::arguments();
    if (arguments.isEmpty() || !arguments.contains(kTestModeArgument))
        return false;
    platform::nsLog(QStringLiteral("Velumo: Detected Check Updates In Test Mode!"));
    return true;
}

QString SWAppController::applicationSecret()
{
    return QStringLiteral("6d2f0c84-3b1e-4a97-b5d2-8e41f07a9c13");
}

void SWAppController::prepareAndStartForAnalytics()
{
    const QString secret = applicationSecret();
    if (!secret.isEmpty())
        platform::MSAppCenterProxy::prepareAndStartWithAnalyticsCrashes(secret);
}

void SWAppController::handleOpeningURLNotification(const platform::Notification& notification)
{
    const QString text = notification.object.toString();
    if (!text.isEmpty() && text.size() < 125)
        platform::MSAnalyticsProxy::trackEvent(QStringLiteral("Opening URL"), {{QStringLiteral("URL"), text}});
}

void SWAppController::newDocument()
{
    platform::Document* document = platform::DocumentController::shared().openUntitledDocumentAndDisplay(true);
    if (auto* picture = qobject_cast<SWDocument*>(document))
        picture->raiseSizeSheet();
}

void SWAppController::newFromClipboard()
{
    SWDocument* document = SWDocument::initFromPasteboard();
    if (!document) {
        // Nothing readable on the clipboard: a document without a picture
        // would be no use to anyone.
        platform::Beep::play();
        return;
    }
    auto& documents = platform::DocumentController::shared();
    document->setFileType(documents.defaultType());
    documents.addDocument(document);
    document->makeWindowControllers();
    document->showWindows();
}

void SWAppController::showPreferencePanel()
{
    if (!m_preferenceController)
        m_preferenceController = std::make_unique<SWPreferenceController>();
    m_preferenceController->showWindow();
}

void SWAppController::killTheSheet()
{
    for (QDialog* sheet : platform::Sheet::openSheets()) {
        if (sheet->property("windowControllerClass").toString() == QLatin1String("SWSizeWindowController"))
            sheet->reject();
    }
}

void SWAppController::quit()
{
    killTheSheet();
    platform::Application::terminate();
}

void SWAppController::aboutMenuItemDidClick()
{
    const uint32_t both = platform::ModifierFlags::Shift | platform::ModifierFlags::Control;
    if ((platform::Application::currentModifierFlags() & both) == both) {
        showDebuggingInfoWindow();
        return;
    }
    if (!m_aboutWindowController) {
        m_aboutWindowController = ZIDAboutWindowController::createInstance();
        m_aboutWindowController->setAboutDelegate(this);
        // No website button: the program has no page of its own to visit.
        m_aboutWindowController->setVisitWebsiteTitle(QString());
        m_aboutWindowController->setAppCopyright(copyright());
    }
    m_aboutWindowController->showWindow();
}

QString SWAppController::copyright()
{
    return QStringLiteral("Copyright © 2026 Vantrell. All rights reserved.");
}

unsigned SWAppController::respondedMethods() const
{
    return ZIDAboutWindowControllerDelegate::FeedbackMethod | ZIDAboutWindowControllerDelegate::PrivacyPolicyMethod;
}

void SWAppController::aboutWindowControllerPrivacyPolicyButtonDidClick(ZIDAboutWindowController*)
{
    if (PrivacyPolicyWindowController* policy = PrivacyPolicyWindowController::sharedPrivacyPolicyWindowController())
        policy->showWindow();
}

void SWAppController::aboutWindowControllerFeedbackButtonDidClick(ZIDAboutWindowController*)
{
    showFeedbackDialog();
}

void SWAppController::feedbackButtonDidClick()
{
    showFeedbackDialog();
}

void SWAppController::showFeedbackDialog()
{
    platform::DevMateKit::showFeedbackDialog(nullptr, 0);
}

void SWAppController::showColorPanel()
{
    platform::ColorPanel::shared().orderFront();
}

bool SWAppController::validateMenuItem(platform::MenuItem* item)
{
    if (item->actionName() == QLatin1String("newFromClipboard:"))
        return clipboardOffersPicture();
    return true;
}

bool SWAppController::clipboardOffersPicture()
{
    // Asked at every key press: only the types on offer count, nothing is
    // decoded or read (a picture that turns out unreadable beeps when chosen).
    if (platform::Pasteboard::general().hasImageType())
        return true;
    const QMimeData* data = platform::Pasteboard::general().contents();
    if (!data || !data->hasUrls())
        return false;
    const QStringList readable = SWDocument::readableExtensions();
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && readable.contains(QFileInfo(url.toLocalFile()).suffix().toLower()))
            return true;
    }
    return false;
}

QString SWAppController::buildLine()
{
    return QStringLiteral("App Build Info:[%1 - %2] buid on [%3 %4]")
        .arg(platform::Bundle::name(), platform::Bundle::shortVersion(), QStringLiteral(__DATE__),
             QStringLiteral(__TIME__));
}

QString SWAppController::debuggingInformation() const
{
    const QString line = buildLine();
    platform::nsLog(line);
    const QStringList arguments = platform::Bundle::arguments();
    const QStringList pieces{
        platform::MSAppCenterWrapperFrameworkInfo::appCenterWrapperFrameworkInfoString(),
        VTRFoundationInfo::frameworkInfoString(),
        VTRUIInfo::frameworkInfoString(),
        QStringLiteral("MSAppCenter installId:{%1}")
            .arg(platform::MSAppCenterProxy::installId().toString(QUuid::WithoutBraces).toUpper()),
        platform::LetsMoveWrapperInfo::frameworkInfoString(),
        QStringLiteral("Upload Tag:{%1}").arg(QStringLiteral("upload-10.b")),
        line,
        QStringLiteral("App Argument of CheckUpdatesInTestMode: %1").arg(arguments.contains(kTestModeArgument) ? 1 : 0),
        QStringLiteral("App Arguments:{%1}").arg(arguments.join(QStringLiteral(", "))),
    };
    QString text;
    for (const QString& piece : pieces)
        text += piece + QStringLiteral("\n\n");
    return text;
}

void SWAppController::showDebuggingInfoWindow()
{
    platform::Alert alert;
    alert.setStyle(platform::Alert::Style::Informational);
    alert.setMessageText(QStringLiteral("Debugging Information."));
    alert.setInformativeText(debuggingInformation());
    alert.runModal();
}

void SWAppController::installMenuBar(platform::Document*, platform::DocumentWindow* window)
{
    window->setMenuBar(SWMainMenu::build(window));
}
