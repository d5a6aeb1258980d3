#include "TextFieldExtensions.h"

#include <QLabel>

namespace vtr {

QLabel* createLabel()
{
    auto* label = new QLabel;
    label->setGeometry(0, 0, 0, 0);
    label->setFrameShape(QFrame::NoFrame);
    label->setAutoFillBackground(false);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace vtr
