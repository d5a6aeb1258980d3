#pragma once

// Constants of the foundation library's path operations.
class VTRFoundationConsts {
public:
    static constexpr const char* filePathSeparator = "/";
};
