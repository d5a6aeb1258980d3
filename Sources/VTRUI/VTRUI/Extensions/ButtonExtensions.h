#pragma once

#include <QRect>
#include <Qt>

class QAbstractButton;
class QToolButton;

namespace vtr {

// How an icon button reacts to a press.
enum class ButtonType {
    MomentaryPushIn, // springs back
    PushOnPushOff,   // stays in until pressed again
};

// A button's state is its check state; a plain button is off or on.
Qt::CheckState buttonState(const QAbstractButton* button);
void setStateOnlyNeeded(QAbstractButton* button, Qt::CheckState state);

// A borderless button that shows its icon only, at its natural size.
QToolButton* createIconButton(const QRect& frame, ButtonType buttonType);

} // namespace vtr
