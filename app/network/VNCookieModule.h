#pragma once

#include "VNHTTPCookie.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

class VNCookieJar;

// Reading Set-Cookie values and the jar's rules live in a module of their
// own (libVelumoCookies.so) with the toolkit's network library under them,
// loaded by the first cookie a server sets: start-up and every run that
// never sees a cookie load neither. Without the module both answer "none".
class VNCookieModule {
public:
    // The cookies of the Set-Cookie values of a response from url, each
    // completed with the url's host and path where it names none; nullopt
    // when the module does not load.
    static std::optional<QList<VNHTTPCookie>> parseSetCookieValues(const QStringList& values, const QUrl& url);
    // A new, empty jar; null when the module does not load.
    static std::unique_ptr<VNCookieJar> createJar();
    // The module's file name, for messages.
    static QString fileName();
};
