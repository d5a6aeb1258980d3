#pragma once

#include <Qt>
#include <cstdint>

namespace platform {

// Event modifier flags with the numbers the tools test against.
namespace ModifierFlags {
constexpr uint32_t Shift = 0x20000;
constexpr uint32_t Control = 0x40000;
constexpr uint32_t Option = 0x80000;
constexpr uint32_t Command = 0x100000;

// Qt's Shift, Meta, Alt and Ctrl map to Shift, Control, Option and Command.
uint32_t fromQt(Qt::KeyboardModifiers modifiers);
} // namespace ModifierFlags

} // namespace platform
