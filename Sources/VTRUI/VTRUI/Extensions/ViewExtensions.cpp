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

namespace {
const char* const kTagProperty = "vtrTag";
}

void setTag(QWidget* view, int tag)
{
    if (view)
        view->setProperty(kTagProperty, tag);
}

int tag(const QWidget* view)
{
    return view ? view->property(kTagProperty).toInt() : 0;
}

QWidget* viewWithTag(QWidget* view, int wanted)
{
    if (!view)
        return nullptr;
    if (tag(view) == wanted)
        return view;
    for (QWidget* child : view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (QWidget* found = viewWithTag(child, wanted))
            return found;
    }
    return nullptr;
}

} // namespace vtr
