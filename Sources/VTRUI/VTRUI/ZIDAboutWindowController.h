#pragma once

#include "ZIDAboutWindowControllerDelegate.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QUrl>

#include <memory>
#include <optional>

// The program's About window: name, version and copyright, a scrolling
// credits text gathered from the program's resources and those of its
// libraries, an acknowledgments button and up to three link buttons
// (website, feedback, privacy policy) that ask the delegate or open a URL.
// The credits are re-coloured when the palette (light or dark) changes.
//
// Credits and acknowledgments are HTML files: "Credits.html" in the resource
// folder (share/velumo) and in each library folder below
// share/velumo/Frameworks/, "Acknowledgments.html" in the resource folder.
//
// An unset text (nothing) takes its default when the window loads; an empty
// button title hides the button.
class ZIDAboutWindowController : public QObject {
    Q_OBJECT
public:
    static std::unique_ptr<ZIDAboutWindowController> createInstance();

    explicit ZIDAboutWindowController(QObject* parent = nullptr);
    ~ZIDAboutWindowController() override;

    static QString windowNibName() { return QStringLiteral("ZIDAboutWindow"); }
    // The maker's web-site name in the default website button title.
    static QString makerWebsiteName() { return QStringLiteral("Vantrell"); }
    static QString creditsResourceType() { return QStringLiteral("html"); }

    // The window, made and set up on first call.
    QWidget* window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    // Shows the window in front, always on the information view.
    void showWindow();

    // Button actions.
    void visitWebsite();
    void visitFeedback();
    void visitPrivacyPolicy();
    void showAcknowledgments();

    // Puts the view into the placeholder (nothing when it is already there).
    void showView(QWidget* view);

    // The "Credits" file of a resource folder as rich text; nothing when the
    // folder has none. The text ends with a paragraph end, so pieces joined
    // one after the other start on lines of their own.
    static std::optional<QTextDocumentFragment> creditsContentsInBundle(const QString& bundlePath);
    // The program's credits followed by those of each library folder.
    QTextDocumentFragment findAllCredits() const;
    // Gives the credits the palette's text colour and the credits view the
    // palette's base colour.
    void changeTextColorForAppCredits();

    // A mail link with a prepared body. Every part may be missing.
    static QUrl simpleFeedbackURLWithSubject(const std::optional<QString>& subject,
                                             const std::optional<QString>& additionalBody,
                                             const std::optional<QString>& author,
                                             const std::optional<QString>& email);

    // Not owned; must outlive the controller or be reset first.
    ZIDAboutWindowControllerDelegate* aboutDelegate() const { return m_aboutDelegate; }
    void setAboutDelegate(ZIDAboutWindowControllerDelegate* delegate) { m_aboutDelegate = delegate; }

    const std::optional<QString>& appName() const { return m_appName; }
    void setAppName(const std::optional<QString>& name);
    const std::optional<QString>& appVersion() const { return m_appVersion; }
    void setAppVersion(const std::optional<QString>& version);
    const std::optional<QString>& appCopyright() const { return m_appCopyright; }
    void setAppCopyright(const std::optional<QString>& copyright);
    const std::optional<QTextDocumentFragment>& appCredits() const { return m_appCredits; }
    void setAppCredits(const std::optional<QTextDocumentFragment>& credits) { m_appCredits = credits; }
    bool disableAppCreditsTextColorAutoFitAppearance() const { return m_disableAppCreditsTextColorAutoFitAppearance; }
    void setDisableAppCreditsTextColorAutoFitAppearance(bool disable)
    {
        m_disableAppCreditsTextColorAutoFitAppearance = disable;
    }

    const std::optional<QString>& visitWebsiteTitle() const { return m_visitWebsiteTitle; }
    void setVisitWebsiteTitle(const std::optional<QString>& title) { m_visitWebsiteTitle = title; }
    const std::optional<QString>& privacyPolicyTitle() const { return m_privacyPolicyTitle; }
    void setPrivacyPolicyTitle(const std::optional<QString>& title) { m_privacyPolicyTitle = title; }
    const std::optional<QString>& feedbackTitle() const { return m_feedbackTitle; }
    void setFeedbackTitle(const std::optional<QString>& title) { m_feedbackTitle = title; }

    // An empty URL means none.
    QUrl appWebsiteURL() const { return m_appWebsiteURL; }
    void setAppWebsiteURL(const QUrl& url) { m_appWebsiteURL = url; }
    QUrl privacyPolicyURL() const { return m_privacyPolicyURL; }
    void setPrivacyPolicyURL(const QUrl& url) { m_privacyPolicyURL = url; }
    QUrl feedbackURL() const { return m_feedbackURL; }
    void setFeedbackURL(const QUrl& url) { m_feedbackURL = url; }

    const std::optional<QString>& acknowledgmentsPath() const { return m_acknowledgmentsPath; }
    void setAcknowledgmentsPath(const std::optional<QString>& path) { m_acknowledgmentsPath = path; }
    bool useTextViewForAcknowledgments() const { return m_useTextViewForAcknowledgments; }
    void setUseTextViewForAcknowledgments(bool use) { m_useTextViewForAcknowledgments = use; }
    // Shown in the acknowledgments view; the controller never fills it itself.
    QString acknowledgmentsString() const { return m_acknowledgmentsString; }
    void setAcknowledgmentsString(const QString& text);

    QTextDocumentFragment cachedAppCreditsForDisplay() const { return m_cachedAppCreditsForDisplay; }
    void setCachedAppCreditsForDisplay(const QTextDocumentFragment& credits);
    QWidget* activeView() const { return m_activeView; }

    // Parts of the window (null until it is loaded).
    QWidget* placeHolderView() const { return m_placeHolderView; }
    QWidget* infoView() const { return m_infoView; }
    QWidget* acknowledgmentsView() const { return m_acknowledgmentsView; }
    QTextEdit* creditsTextView() const { return m_creditsTextView; }
    QTextEdit* acknowledgmentsTextView() const { return m_acknowledgmentsTextView; }
    QPushButton* visitWebsiteButton() const { return m_visitWebsiteButton; }
    QPushButton* acknowledgmentsButton() const { return m_acknowledgmentsButton; }
    QPushButton* feedbackButton() const { return m_feedbackButton; }
    QPushButton* privacyPolicyButton() const { return m_privacyPolicyButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void customInit();
    void loadWindow();
    void windowDidLoad();
    void observeAppearance();
    void showInfoTexts();
    void followLink(ZIDAboutWindowControllerDelegate::Method method, const QUrl& url, const QString& missingUrlLog);

    ZIDAboutWindowControllerDelegate* m_aboutDelegate = nullptr;
    std::optional<QString> m_appName;
    std::optional<QString> m_appVersion;
    std::optional<QString> m_appCopyright;
    std::optional<QTextDocumentFragment> m_appCredits;
    bool m_disableAppCreditsTextColorAutoFitAppearance = false;
    std::optional<QString> m_visitWebsiteTitle;
    std::optional<QString> m_privacyPolicyTitle;
    std::optional<QString> m_feedbackTitle;
    QUrl m_appWebsiteURL;
    QUrl m_privacyPolicyURL;
    QUrl m_feedbackURL;
    std::optional<QString> m_acknowledgmentsPath;
    bool m_useTextViewForAcknowledgments = false;
    QString m_acknowledgmentsString;
    QTextDocumentFragment m_cachedAppCreditsForDisplay;
    QPointer<QWidget> m_activeView;

    std::unique_ptr<QWidget> m_window;
    bool m_observingAppearance = false;
    // Views of the window, owned by it.
    QPointer<QWidget> m_placeHolderView;
    QPointer<QWidget> m_infoView;
    QPointer<QWidget> m_acknowledgmentsView;
    QPointer<QTextEdit> m_creditsTextView;
    QPointer<QTextEdit> m_acknowledgmentsTextView;
    QPointer<QPushButton> m_visitWebsiteButton;
    QPointer<QPushButton> m_acknowledgmentsButton;
    QPointer<QPushButton> m_feedbackButton;
    QPointer<QPushButton> m_privacyPolicyButton;
    QPointer<QLabel> m_appNameLabel;
    QPointer<QLabel> m_appVersionLabel;
    QPointer<QLabel> m_appCopyrightLabel;
};
