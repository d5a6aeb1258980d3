#include "MyPushAdURLOpener.h"

#include "platform/web/WebLinkPolicy.h"

#include <QDesktopServices>

namespace {
MyPushAdURLOpener::Opener& current()
{
    static MyPushAdURLOpener::Opener opener;
    return opener;
}
} // namespace

void MyPushAdURLOpener::setOpener(Opener opener)
{
    current() = std::move(opener);
}

void MyPushAdURLOpener::openURL(const QUrl& url)
{
    // A page's link leaves for the web or the store only: never a local
    // file, a share or another program's scheme.
    if (!platform::WebLinkPolicy::mayOpenOutside(url))
        return;
    if (current())
        current()(url);
    else
        QDesktopServices::openUrl(url);
}
