#pragma once

#include <QString>

#include <cstdint>

// The support gesture and the alert that shows diagnostic texts.
class DebuggingInfoWindow {
public:
    // True while the keyboard holds both Shift and Control (whatever else).
    // Control is the Meta (Super) key here: Ctrl is the command key.
    static bool isTriggered();
    // The same test on given modifier flags (platform::ModifierFlags numbers).
    static bool isTriggered(uint32_t modifierFlags);

    // An application-modal alert "Debugging Information." with the text as
    // informative text; returns when it is dismissed.
    static void showDebuggingInfoWindow(const QString& text);
};
