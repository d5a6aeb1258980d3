#pragma once

#include <QString>

namespace platform {

// Stand-in for the outside "move to the applications folder" offer. On this
// system programs are installed by the package manager, so it only logs.
class LetsMoveWrapper {
public:
    static void PFMoveToApplicationsFolderIfNecessary();
};

} // namespace platform
