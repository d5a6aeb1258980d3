#include "ImageViewExtensions.h"

#include <QLabel>

namespace vtr {

QLabel* createStaticImageView(const QRect& frame)
{
    auto* view = new QLabel;
    view->setGeometry(frame);
    view->setFrameShape(QFrame::NoFrame);
    view->setAlignment(Qt::AlignCenter);
    view->setScaledContents(false);
    view->setTextInteractionFlags(Qt::NoTextInteraction);
    view->setAcceptDrops(false);
    return view;
}

} // namespace vtr
