#include "ModifierFlags.h"

namespace platform::ModifierFlags {

uint32_t fromQt(Qt::KeyboardModifiers modifiers)
{
    uint32_t flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= Shift;
    if (modifiers & Qt::MetaModifier)
        flags |= Control;
    if (modifiers & Qt::AltModifier)
        flags |= Option;
    if (modifiers & Qt::ControlModifier)
        flags |= Command;
    return flags;
}

} // namespace platform::ModifierFlags
