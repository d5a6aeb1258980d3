#pragma once

#include "CHServerConfigDelegate.h"

#include "platform/appkit/Responder.h"
#include "platform/outside/DMUpdater.h"

#include <QObject>
#include <QStringList>

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
                        public CHServerConfigDelegate {
    Q_OBJECT
public:
    SWAppController();
    ~SWAppController() override;

    void applicationWillFinishLaunching();
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
    void newFromClipboard();
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

    // "App Build Info:[name - version] buid on [date time]".
    static QString buildLine();
    static QString applicationSecret();

private:
    void installMenuBar(platform::Document* document, platform::DocumentWindow* window);
    platform::DMUpdater* m_updater; // not owned
};
