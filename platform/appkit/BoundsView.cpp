#include "BoundsView.h"

#include <QWidget>

namespace platform {

BoundsView::~BoundsView() = default;

BoundsSubview::~BoundsSubview() = default;

void BoundsView::boundsDidChange(QWidget* view)
{
    if (!view)
        return;
    for (QWidget* child : view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* subview = dynamic_cast<BoundsSubview*>(child))
            subview->superviewBoundsDidChange();
    }
}

} // namespace platform
