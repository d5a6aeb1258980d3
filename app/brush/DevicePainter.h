#pragma once

#include "PixelDevice.h"

// Holds the device that dabs are written into.
class DevicePainter
{
public:
    // The device is not owned.
    explicit DevicePainter(PixelDevice* device);
    virtual ~DevicePainter();

    DevicePainter(const DevicePainter&) = delete;
    DevicePainter& operator=(const DevicePainter&) = delete;

    PixelDevice* device() const { return m_device; }

private:
    PixelDevice* m_device;
};
