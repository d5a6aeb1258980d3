#include "KZBitmapImage.h"

std::shared_ptr<KZBitmapImage> KZBitmapImage::bitmapWithImage(const QImage& image)
{
    auto element = std::make_shared<KZBitmapImage>();
    element->setImage(image);
    return element;
}
