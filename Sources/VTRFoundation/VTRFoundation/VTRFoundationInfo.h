#pragma once

#include <QString>

// Which build of the foundation library is loaded and how its logging is set.
class VTRFoundationInfo {
public:
    static constexpr const char* kInternalVersion = "10.2.18";
    static QString frameworkInfoString();
};
