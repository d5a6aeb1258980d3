#include "BoxView.h"

#include <QGridLayout>

BoxView::BoxView(QWidget* parent)
    : ControlView(parent)
{
}

void BoxView::addFullCoveredView(QWidget* view)
{
    if (!view)
        return;
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid) {
        grid = new QGridLayout(this);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setSpacing(0);
    }
    grid->addWidget(view, 0, 0);
    view->raise();
}
