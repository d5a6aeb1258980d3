#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

// Geometry rules the program relies on that differ from Qt's own.
namespace platform {

// Union where an empty operand (zero width or height) yields the other one;
// QRectF::united() agrees for null rectangles but not for, say, 0 x 5 ones.
QRectF unionRect(const QRectF& a, const QRectF& b);

// True when the rectangle has no area.
bool isEmptyRect(const QRectF& r);

// A size as text in the form "{640, 480}", and back. Unreadable text gives {0, 0}.
QString stringFromSize(const QSizeF& size);
QSizeF sizeFromString(const QString& text);

} // namespace platform
