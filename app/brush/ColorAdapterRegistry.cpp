#include "ColorAdapterRegistry.h"

ColorAdapterRegistry* ColorAdapterRegistry::instance()
{
    static ColorAdapterRegistry* registry = new ColorAdapterRegistry();
    return registry;
}

ColorAdapterRegistry::~ColorAdapterRegistry() = default;

std::unique_ptr<ColorAdapter> ColorAdapterRegistry::colorSpaceForContext(QImage* context) const
{
    return std::make_unique<ColorAdapter>(context);
}
