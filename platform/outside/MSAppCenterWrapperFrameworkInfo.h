#pragma once

#include <QString>

namespace platform {

class MSAppCenterWrapperFrameworkInfo {
public:
    static QString appCenterWrapperFrameworkInfoString();
};

} // namespace platform
