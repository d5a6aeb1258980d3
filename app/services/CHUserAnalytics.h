#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace platform {
struct Notification;
}

// Counts the program's launches in the settings and owns the request to
// review the program in the store. One instance per process.
class CHUserAnalytics {
public:
    static CHUserAnalytics* sharedCHUserAnalytics();
    // A second instance is refused: logs and yields null.
    static CHUserAnalytics* alloc();

    void appStartNotification();
    void appEndNotification(const platform::Notification& notification);
    void appStarted();
    void appEnded() {}

    void showReviewingAlert();
    void handleAlertResult(bool confirmed);

    // The store's page of the program, and the form of a link the store
    // program opens ("macappstore://" and what follows the last "://").
    static QString storePageLink();
    static QString storeFormOfLink(const QString& link);

    // How links are opened (the desktop's handler unless a test sets one).
    using URLOpener = std::function<void(const QUrl&)>;
    static void setURLOpener(URLOpener opener);

private:
    CHUserAnalytics();
    ~CHUserAnalytics() = delete;
};

// The launch count for the online services: the stored count, or 1 (with
// a warning) while nothing has counted this launch yet.
qint64 CHAppRunCount();
