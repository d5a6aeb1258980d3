#include "VTRCommonUtil.h"

#include <QWidget>

namespace {

QWidget* initialFocusWidget(QWidget* window)
{
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() == window && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled()
            && !w->isHidden())
            return w;
    }
    return nullptr;
}

} // namespace

bool VTRCommonUtil::makeFirstResponderToDefaultForWindow(QWidget* window)
{
    if (!window)
        return false;
    window = window->window();
    QWidget* target = initialFocusWidget(window);
    if (!target)
        target = window;
    target->setFocus(Qt::OtherFocusReason);
    return window->focusWidget() == target || target == window;
}
