#include "PixelDevice.h"

#include <cstring>

PixelDevice::PixelDevice(QImage* context, ColorAdapter* adapter)
    : m_context(context)
    , m_adapter(adapter)
{
}

PixelDevice::~PixelDevice() = default;

bool PixelDevice::hasMemory() const
{
    return m_context && !m_context->isNull() && m_context->depth() == 32;
}

int PixelDevice::width() const
{
    return hasMemory() ? m_context->width() : 0;
}

int PixelDevice::height() const
{
    return hasMemory() ? m_context->height() : 0;
}

qsizetype PixelDevice::bytesPerLine() const
{
    return hasMemory() ? m_context->bytesPerLine() : 0;
}

bool PixelDevice::rectInside(int x, int y, int w, int h) const
{
    if (!hasMemory() || x < 0 || y < 0 || w < 0 || h < 0)
        return false;
    return qint64(x) + w <= m_context->width() && qint64(y) + h <= m_context->height();
}

PixelDevice::Layout<unsigned char> PixelDevice::writableLayout()
{
    if (!hasMemory())
        return {};
    return {m_context->bits(), m_context->bytesPerLine(), m_context->width(), m_context->height()};
}

PixelDevice::Layout<const unsigned char> PixelDevice::readableLayout() const
{
    if (!hasMemory())
        return {};
    return {m_context->constBits(), m_context->bytesPerLine(), m_context->width(), m_context->height()};
}

const unsigned char* PixelDevice::constEngineRow(int engineRow) const
{
    if (!hasMemory())
        return nullptr;
    return m_context->constScanLine(m_context->height() - 1 - engineRow);
}

unsigned char* PixelDevice::engineRow(int engineRow)
{
    if (!hasMemory())
        return nullptr;
    return m_context->scanLine(m_context->height() - 1 - engineRow);
}

void PixelDevice::readBytes(unsigned char* buffer, int x, int y, int w, int h) const
{
    if (!buffer || !rectInside(x, y, w, h) || w == 0)
        return;
    const size_t rowBytes = size_t(w) * 4;
    for (int j = 0; j < h; ++j)
        std::memcpy(buffer + size_t(j) * rowBytes, constEngineRow(y + j) + size_t(x) * 4, rowBytes);
}

void PixelDevice::writeBytes(const unsigned char* buffer, int x, int y, int w, int h)
{
    if (!buffer || !rectInside(x, y, w, h) || w == 0)
        return;
    const size_t rowBytes = size_t(w) * 4;
    for (int j = 0; j < h; ++j)
        std::memcpy(engineRow(y + j) + size_t(x) * 4, buffer + size_t(j) * rowBytes, rowBytes);
}
