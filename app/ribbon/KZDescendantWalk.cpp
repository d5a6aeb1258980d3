#include "KZDescendantWalk.h"

#include <QPointer>
#include <QWidget>

void KZDescendantWalk::enumerateDescendantsUsingBlock(QWidget* view, const Block& block)
{
    if (!view || !block)
        return;
    // The list is taken before the walk: a block may add or remove views.
    QList<QPointer<QWidget>> subviews;
    for (QObject* child : view->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            subviews << widget;
    }
    for (int index = 0; index < subviews.size(); ++index) {
        QWidget* subview = subviews.at(index);
        if (!subview)
            continue;
        bool stop = false;
        block(subview, index, &stop);
        if (stop)
            return;
        enumerateDescendantsUsingBlock(subviews.at(index), block);
    }
}
