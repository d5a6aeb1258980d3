#include "ControlValidation.h"

#include "Responder.h"
#include "TargetAction.h"

#include <QWidget>

namespace platform {

void ControlValidation::update(QWidget* control, Responder* target, const QString& action, int tag)
{
    if (!control)
        return;
    bool enabled = true;
    if (Responder* responder = TargetAction::targetForAction(action, target, control)) {
        if (const std::optional<bool> answer = responder->validateUserInterfaceItem(control, action, tag))
            enabled = *answer;
    }
    control->setEnabled(enabled);
}

} // namespace platform
