#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

// Alerts of the library's controls. Every alert goes through one presenter,
// which by default runs an application-modal message box and returns when it
// is dismissed. A host (or a test) can put its own presenter in place, so no
// caller ever blocks where it must not.
class UIUtil {
public:
    struct AlertRequest {
        QMessageBox::Icon icon = QMessageBox::Warning;
        QString messageText;
        QString informativeText;
    };
    using AlertPresenter = std::function<void(const AlertRequest&)>;

    UIUtil() = delete;

    // A warning alert with the message and a single blank as informative
    // text; the numeric field reports its corrections this way.
    static void showAlert(const QString& message);

    // Runs any alert through the current presenter.
    static void runModalAlert(const AlertRequest& request);

    // Replaces the presenter and returns the one in place before. An empty
    // presenter puts the message box back.
    static AlertPresenter setAlertPresenter(AlertPresenter presenter);

    // The message box presenter itself.
    static void presentWithMessageBox(const AlertRequest& request);
};
