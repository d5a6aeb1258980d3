#include "ColorAdapter.h"

#include <cstring>

ColorAdapter::ColorAdapter(QImage* context)
    : m_context(context)
    , m_colorSpace(context ? context->colorSpace() : QColorSpace())
{
}

ColorAdapter::~ColorAdapter() = default;

int ColorAdapter::pixelSize() const
{
    if (!m_context || m_context->isNull())
        return 0;
    return m_context->depth() / 8;
}

std::unique_ptr<unsigned char[]> ColorAdapter::allocPixelBuffer(int n, bool fill, unsigned char fillByte) const
{
    const int size = pixelSize();
    if (n <= 0 || size <= 0)
        return nullptr;
    auto buffer = std::make_unique<unsigned char[]>(size_t(n) * size_t(size));
    if (fill)
        std::memset(buffer.get(), fillByte, size_t(n) * size_t(size));
    return buffer;
}

bool ColorAdapter::convertPixelsTo(const unsigned char* source, unsigned char* destination,
                                   const ColorAdapter* /*destinationAdapter*/, int n) const
{
    if (n > 0 && source && destination)
        std::memmove(destination, source, size_t(n) * size_t(pixelSize()));
    return true;
}
