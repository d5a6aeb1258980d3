#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// Where a web page of ours may lead: to the web (http, https) and to the
// store, never to local files, shares or other programs' schemes.
class WebLinkPolicy {
public:
    // The store's own scheme.
    static QString storeScheme();
    // A link that may be opened outside the program (by the desktop).
    static bool mayOpenOutside(const QUrl& url);
    // Whether a navigation to url is even put to a view's delegate: the web
    // and the store always; the page's own content (data:, about:) only
    // when the engine loads it, not from a link.
    static bool isNavigable(const QUrl& url, bool fromLink);
};

} // namespace platform
