#pragma once

#include <QCursor>
#include <QImage>
#include <QString>

// The cursors of the element handles, drawn here, each with its hot spot at
// the centre of the image:
// - "Resize0" to "Resize3": a double arrow turned by 0, 45, 90 and 135
//   degrees counter-clockwise from the horizontal (what the handles of an
//   unturned element show: 0 left and right middles, 1 top-right and
//   bottom-left, 2 top and bottom middles, 3 top-left and bottom-right);
// - "Rotate0" to "Rotate7": a curved double arrow on the outer side of the
//   handle that lies k x 45 degrees counter-clockwise from the right middle;
// - "crosshair", "openhand" and "closedhand".
class KZGraphicCursor {
public:
    KZGraphicCursor() = delete;

    static constexpr int kSide = 24;

    // Null for an unknown name.
    static QImage imageNamed(const QString& name);
    // The arrow cursor for an unknown name.
    static QCursor cursorNamed(const QString& name);
};
