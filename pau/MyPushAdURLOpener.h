#pragma once

#include <QUrl>

#include <functional>

// Opens a link with the desktop's handler for its scheme, unless a test
// puts another opener in its place (an empty one puts the desktop's back).
class MyPushAdURLOpener {
public:
    using Opener = std::function<void(const QUrl&)>;
    static void setOpener(Opener opener);
    static void openURL(const QUrl& url);
};
