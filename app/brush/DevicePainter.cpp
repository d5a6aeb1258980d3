#include "DevicePainter.h"

DevicePainter::DevicePainter(PixelDevice* device)
    : m_device(device)
{
}

DevicePainter::~DevicePainter() = default;
