#pragma once

#include <QString>

class QWidget;

namespace platform {

class Responder;

// Lets a control enable itself from the validation of its action, as menu
// items do: the responder that would get the action (its target, or the
// first in the chain that answers it) decides; a control whose action
// nobody answers, or whose responder gives no answer, stays enabled.
class ControlValidation {
public:
    static void update(QWidget* control, Responder* target, const QString& action, int tag);
};

} // namespace platform
