#pragma once

#include <QString>

// Which build of the cross-promotion library is loaded.
class VTRPAUFrameworkInfo {
public:
    static constexpr const char* kInternalVersion = "10.1.1";
    static QString pauFrameworkInfoString();
};
