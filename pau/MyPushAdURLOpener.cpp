#include "MyPushAdURLOpener.h"

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
    if (current())
        current()(url);
    else
        QDesktopServices::openUrl(url);
}
