#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// Program-wide services of the running application: orderly termination
// (unsaved documents are reviewed first) and the state of the modifier keys.
class Application {
public:
    // Posted once, just before the program ends, however it ends.
    static QString willTerminateNotification(); // "ApplicationWillTerminate"

    // Hooks the notification to the event loop's end and starts the
    // windows' update passes. Call once after the application object exists.
    static void install();

    // Asks about every edited document; unless the user cancels, closes
    // them all and ends the event loop. Returns false when cancelled.
    static bool terminate();

    // The modifier keys held now, as ModifierFlags numbers.
    static uint32_t currentModifierFlags();
    static void setModifierFlagsForTesting(std::optional<uint32_t> flags);
};

} // namespace platform
