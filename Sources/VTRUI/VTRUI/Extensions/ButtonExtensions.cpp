#include "ButtonExtensions.h"

#include <QCheckBox>
#include <QToolButton>

namespace vtr {

Qt::CheckState buttonState(const QAbstractButton* button)
{
    if (!button)
        return Qt::Unchecked;
    if (auto* box = qobject_cast<const QCheckBox*>(button))
        return box->checkState();
    return button->isChecked() ? Qt::Checked : Qt::Unchecked;
}

void setStateOnlyNeeded(QAbstractButton* button, Qt::CheckState state)
{
    if (!button || buttonState(button) == state)
        return;
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        if (state == Qt::PartiallyChecked)
            box->setTristate(true);
        box->setCheckState(state);
    } else {
        button->setChecked(state != Qt::Unchecked);
    }
}

QToolButton* createIconButton(const QRect& frame, ButtonType buttonType)
{
    auto* button = new QToolButton;
    button->setGeometry(frame);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(true);
    button->setCheckable(buttonType == ButtonType::PushOnPushOff);
    return button;
}

} // namespace vtr
