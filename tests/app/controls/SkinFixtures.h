#pragma once

#include "platform/appkit/ImageResource.h"

#include <QImage>
#include <QTemporaryDir>

#include <functional>

// A folder of fixture images that the bundle's image lookup searches first.
// Names should not clash with the shipped skins.
class SkinFixtures {
public:
    SkinFixtures() { platform::ImageResource::addSearchDirectory(m_dir.path()); }

    // Writes name.png (one pixel per point), each pixel from the function of
    // its column and row (top-down).
    void add(const QString& name, int width, int height, const std::function<QRgb(int x, int y)>& pixel) const
    {
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, pixel(x, y));
        }
        image.save(m_dir.path() + "/" + name + ".png");
    }
    void addFilled(const QString& name, int width, int height, QRgb colour) const
    {
        add(name, width, height, [colour](int, int) { return colour; });
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// A pixel that says where it came from: red = column, green = row.
inline QRgb positionPixel(int x, int y)
{
    return qRgba(x * 8, y * 8, 200, 255);
}
