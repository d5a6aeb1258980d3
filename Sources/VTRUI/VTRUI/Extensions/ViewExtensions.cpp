#include "ViewExtensions.h"

#include <QWidget>

namespace vtr {

void setHiddenOnlyNeeded(QWidget* view, bool hidden)
{
    if (view && view->isHidden() != hidden)
        view->setHidden(hidden);
}

void invalidateEntireRect(QWidget* view)
{
    if (view)
        view->update();
}

void invalidateRect(QWidget* view, const std::optional<QRect>& rect)
{
    if (!view)
        return;
    if (rect)
        view->update(*rect);
    else
        invalidateEntireRect(view);
}

} // namespace vtr
