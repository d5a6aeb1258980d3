#pragma once

#include <QColorSpace>
#include <QImage>
#include <memory>

// Pixel format knowledge for one canvas bitmap: its pixel size and how to
// copy pixels into another bitmap's format. Every canvas bitmap shares one
// format (RGBA, 8 bits, premultiplied), so converting is copying.
class ColorAdapter
{
public:
    // context: the bitmap, not owned; it must outlive the adapter.
    explicit ColorAdapter(QImage* context);
    virtual ~ColorAdapter();

    ColorAdapter(const ColorAdapter&) = delete;
    ColorAdapter& operator=(const ColorAdapter&) = delete;

    QImage* context() const { return m_context; }
    const QColorSpace& colorSpace() const { return m_colorSpace; }

    // Bytes per pixel of the bitmap (0 for no bitmap).
    int pixelSize() const;

    // A buffer of n pixels, filled with fillByte when fill is set; nothing for n <= 0.
    std::unique_ptr<unsigned char[]> allocPixelBuffer(int n, bool fill, unsigned char fillByte) const;

    // Copies n pixels from source into destination in the destination's format.
    virtual bool convertPixelsTo(const unsigned char* source, unsigned char* destination,
                                 const ColorAdapter* destinationAdapter, int n) const;

private:
    QImage* m_context;
    QColorSpace m_colorSpace;
};
