#pragma once

#include <QString>
#include <functional>

namespace platform {

// Runs the work; an exception it throws is logged as
// "*** Error.. Exception catched:<what>" and swallowed, so the caller carries on.
// Returns false when an exception was caught.
bool exceptionGuard(const std::function<void()>& work);

} // namespace platform
