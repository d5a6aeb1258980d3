#pragma once

#include <QString>

// The logging facility's state as one line of text.
class DebugModuleInfo {
public:
    static QString debugModuleInfoString();
};
