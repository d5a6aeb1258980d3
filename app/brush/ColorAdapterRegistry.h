#pragma once

#include "ColorAdapter.h"

#include <memory>

// Makes colour adapters for bitmaps. One shared instance for the whole run.
class ColorAdapterRegistry
{
public:
    static ColorAdapterRegistry* instance();

    virtual ~ColorAdapterRegistry();

    // A new adapter for the bitmap, owned by the caller.
    std::unique_ptr<ColorAdapter> colorSpaceForContext(QImage* context) const;

private:
    ColorAdapterRegistry() = default;
};
