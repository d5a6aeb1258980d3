#pragma once

#include <QString>

namespace platform {

class LetsMoveWrapperInfo {
public:
    static QString frameworkInfoString();
};

} // namespace platform
