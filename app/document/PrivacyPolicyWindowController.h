#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextEdit>
#include <QWidget>

#include <memory>

// The window that shows the program's privacy policy ("PrivacyPolicy.html"
// among the resources). There is one per process: it is made on the first
// request and kept until the process ends.
class PrivacyPolicyWindowController : public QObject {
    Q_OBJECT
public:
    // The one instance, made on first call (under a lock).
    static PrivacyPolicyWindowController* sharedPrivacyPolicyWindowController();
    // Makes the instance when there is none yet. A further one is refused:
    // logged, and null is returned.
    static PrivacyPolicyWindowController* allocate();

    PrivacyPolicyWindowController(const PrivacyPolicyWindowController&) = delete;
    PrivacyPolicyWindowController& operator=(const PrivacyPolicyWindowController&) = delete;

    static QString windowNibName() { return QStringLiteral("PrivacyPolicyWindowController"); }
    // The policy document among the resources: an HTML file.
    static QString policyResourceName() { return QStringLiteral("PrivacyPolicy"); }
    static QString policyResourceType() { return QStringLiteral("html"); }

    // The window, made and loaded on first call.
    QWidget* window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    void showWindow();

    // Replaces the text view's content with the policy; a missing or
    // unreadable file leaves the content as it is.
    void loadDataInTextView();

    QTextEdit* textView() const { return m_textView; }
    void setTextView(QTextEdit* textView) { m_textView = textView; }

private:
    PrivacyPolicyWindowController();
    ~PrivacyPolicyWindowController() override;
    void loadWindow();
    void windowDidLoad();

    std::unique_ptr<QWidget> m_window;
    QPointer<QTextEdit> m_textView;
};
