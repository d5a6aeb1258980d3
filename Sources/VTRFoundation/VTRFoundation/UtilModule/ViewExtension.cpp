#include "ViewExtension.h"

#include <QWidget>

namespace ViewExtension {

bool isFirstResponderInWindow(const QWidget* view)
{
    if (!view)
        return false;
    const QWidget* focus = view->window()->focusWidget();
    if (!focus)
        return false;
    return focus == view || (view->focusProxy() && focus == view->focusProxy());
}

} // namespace ViewExtension
