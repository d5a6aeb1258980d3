#pragma once

#include "CHServerConfigDelegate.h"
#include "ZIDAboutWindowControllerDelegate.h"

#include "platform/appkit/Responder.h"
#include "platform/outside/DMUpdater.h"

#include <QObject>
#include <QStringList>

#include <memory>

class SWPreferenceController;
class ZIDAboutWindowController;

namespace platform {
class DocumentWindow;
class Document;
struct Notification;
} // namespace platform

// The application delegate: registers the editor's defaults, prepares the
// shared colour panel, runs the launch sequence (outside services, launch
// counter, remote configuration, an untitled document) and answers the
// application-wide menu commands.
class SWAppController : public QObject,
                        public platform::Responder,
                        public platform::DMUpdaterDelegate,
                        public CHServerConfigDelegate,
                        public ZIDAboutWindowControllerDelegate {
    Q_OBJECT
public:
    SWAppController();
    ~SWAppController() override;

    void applicationWillFinishLaunching();
    // Starts decoding the files named on the command line while the program
    // starts; openFiles() takes them over.
    static void readFilesAhead(const QStringList& paths);
    // Opens the files named on the command line, each as a document.
    void openFiles(const QStringList& paths);
    void applicationDidFinishLaunching();

    // The files among the process's arguments (everything after the program
    // that is not an option).
    static QStringList filesInArguments(const QStringList& arguments);

    // -- updater delegate
    bool isUpdaterInTestMode(platform::DMUpdater* updater) override;
    bool isCheckUpdatesInTestMode() const;
    platform::DMUpdater* updater() const { return m_updater; }
    void setUpdater(platform::DMUpdater* updater) { m_updater = updater; }

    void prepareAndStartForAnalytics();

    // -- remote configuration delegate: nothing to do
    void serverConfigDownloadSuccess(const std::shared_ptr<CHServerConfigInfo>&) override {}
    void serverConfigDownloadFailed(const void*) override {}

    void handleOpeningURLNotification(const platform::Notification& notification);

    // -- menu actions
    // A new untitled picture whose size the user chooses in its size sheet.
    void newDocument();
    void newFromClipboard();
    // Whether the clipboard offers a picture: a picture type, or a copied
    // file of a type the program opens. Decodes and reads nothing.
    static bool clipboardOffersPicture();
    void showPreferencePanel();
    void showToolboxPanel() {}
    void killTheSheet();
    void quit();
    void aboutMenuItemDidClick();
    void feedbackButtonDidClick();
    void showFeedbackDialog();
    void rateAppButtonDidClick() {}
    void showColorPanel();
    bool validateMenuItem(platform::MenuItem* item) override;

    // The text of the debugging-information alert.
    QString debuggingInformation() const;
    void showDebuggingInfoWindow();

    // -- about window delegate: feedback and privacy policy are ours
    unsigned respondedMethods() const override;
    void aboutWindowControllerPrivacyPolicyButtonDidClick(ZIDAboutWindowController* controller) override;
    void aboutWindowControllerFeedbackButtonDidClick(ZIDAboutWindowController* controller) override;

    // Made on first use and kept; null until then.
    ZIDAboutWindowController* aboutWindowController() const { return m_aboutWindowController.get(); }
    SWPreferenceController* preferenceController() const { return m_preferenceController.get(); }
    // The line under the version in the about window.
    static QString copyright();

    // "App Build Info:[name - version] buid on [date time]".
    static QString buildLine();
    static QString applicationSecret();

private:
    void installMenuBar(platform::Document* document, platform::DocumentWindow* window);
    platform::DMUpdater* m_updater; // not owned
    std::unique_ptr<ZIDAboutWindowController> m_aboutWindowController;
    std::unique_ptr<SWPreferenceController> m_preferenceController;
};
