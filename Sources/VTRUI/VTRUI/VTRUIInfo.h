#pragma once

#include <QString>

// Which build of the user-interface library is loaded.
class VTRUIInfo {
public:
    static constexpr const char* kInternalVersion = "11.1.53";
    static QString frameworkInfoString();
};
