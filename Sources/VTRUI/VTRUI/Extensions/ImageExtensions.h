#pragma once

#include "UniformGrayScale.h"
#include "UniformImageMark.h"
#include "VTRImage.h"

#include <QString>

#include <optional>

// Composed icon images: a template shape tinted in a grey level of the
// moment, on an optional background mark and under an optional foreground
// mark. Composing only captures values; the drawing happens at every render.
namespace vtr {

// The composed image, or the base itself when its size is not usable.
VTRImage createUniformImage(const VTRImage& based, const UniformGrayScale& imageGrayScale,
                            const std::optional<UniformImageMark>& backgroundMark,
                            const std::optional<UniformImageMark>& foregroundMark);
// The same for the named image; a null image when there is none of that name.
VTRImage createUniformImage(const QString& named, const UniformGrayScale& imageGrayScale,
                            const std::optional<UniformImageMark>& backgroundMark,
                            const std::optional<UniformImageMark>& foregroundMark);
// A copy cut dx points from the left and right and dy from the top and
// bottom; the image itself when either size would not be positive.
VTRImage insetBy(const VTRImage& image, double dx, double dy);

// "Optional(\"name\")" or "nil", as the log lines show an image's name.
QString optionalNameText(const VTRImage& image);

} // namespace vtr
