#pragma once

#include "ColorAdapter.h"

#include <QImage>

// Pixel access to one canvas bitmap for the dab renderer. Rows are counted as
// the brush engine counts them, upwards: engine row e is scanline
// height - 1 - e of the top-down bitmap, so angles and directions keep their
// on-screen meaning.
class PixelDevice
{
public:
    // Neither the bitmap nor the adapter is owned; both must outlive the device.
    PixelDevice(QImage* context, ColorAdapter* adapter);
    virtual ~PixelDevice();

    PixelDevice(const PixelDevice&) = delete;
    PixelDevice& operator=(const PixelDevice&) = delete;

    ColorAdapter* colorSpace() const { return m_adapter; }
    QImage* context() const { return m_context; }

    // A bitmap with 4-byte pixels to paint on.
    bool hasMemory() const;
    int width() const;
    int height() const;

    // Copies the w x h pixel rectangle whose first pixel is column x of engine
    // row y into buffer, packed row after row (engine row y first). Does
    // nothing unless the rectangle lies wholly inside the bitmap.
    void readBytes(unsigned char* buffer, int x, int y, int w, int h) const;
    // The reverse copy.
    void writeBytes(const unsigned char* buffer, int x, int y, int w, int h);

    // Where the pixels lie, for loops over many rows: top is scanline 0 (the
    // highest engine row), or nullptr with all sizes 0 when there is no memory.
    template <typename Byte>
    struct Layout
    {
        Byte* top = nullptr;
        qsizetype stride = 0;
        int width = 0;
        int height = 0;

        Byte* engineRow(int row) const { return top + qsizetype(height - 1 - row) * stride; }
    };
    // Taking the writable layout may detach a shared bitmap; take it before
    // the readable one when both name the same bitmap.
    Layout<unsigned char> writableLayout();
    Layout<const unsigned char> readableLayout() const;

    // Row access for whole-row loops. Both return nullptr without memory;
    // the engine row must lie inside the bitmap.
    const unsigned char* constEngineRow(int engineRow) const;
    unsigned char* engineRow(int engineRow);
    qsizetype bytesPerLine() const;

private:
    bool rectInside(int x, int y, int w, int h) const;

    QImage* m_context;
    ColorAdapter* m_adapter;
};
