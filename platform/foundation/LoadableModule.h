#pragma once

#include <QString>

namespace platform {

// A part of the program that lives in a module of its own beside the
// program's libraries (lib/, in the build tree and in an installed prefix
// alike) and is loaded on first use, so that start-up does not load it or
// the libraries it needs.
class LoadableModule {
public:
    // The function of that name in the module file (e.g.
    // "libVelumoPACScript.so"), loading the module on the first call; null
    // when the module does not load or has no such function (a warning
    // says why). A loaded module stays loaded. Safe from any thread.
    static void* resolve(const QString& fileName, const char* function);
    // The folder the modules lie in.
    static QString folder();
};

} // namespace platform
