#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// How the online services open a link: in the store program's form
// ("macappstore://" followed by what comes after the last "://"), announced
// first by "VantrellNotificationOpeningURL" with the text
// "<event> - <link>" as its object.
class CHOpeningURL {
public:
    static QString notificationName(); // "VantrellNotificationOpeningURL"

    static QString storeFormOfLink(const QString& link);
    // The program's page on the store's web host.
    static QString storePageLink();

    // Posts the notification for eventName and opens the store form of link.
    static void openInStore(const QString& eventName, const QString& link, const void* sender);

    // The desktop's handler opens links unless a test sets another (an empty
    // one puts the desktop's back).
    using URLOpener = std::function<void(const QUrl&)>;
    static void setURLOpener(URLOpener opener);
    static void open(const QUrl& url);
    // Only http, https and the store's scheme are ever opened.
    static bool mayOpen(const QUrl& url);
};
