#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

// The raster tools' cursor images, drawn here in 16 x 16 pixels: a pencil
// ("pencil-cursor"), an eraser ("eraser-cursor"), a paint bucket
// ("bucket-cursor"), a pipette ("eyedrop-cursor"), a magnifier
// ("zoom-cursor-2"), a spray can ("airbrush-cursor-2") and a bomb
// ("bomb-cursor"), each with the hot spot where it acts.
class SWToolCursor {
public:
    SWToolCursor() = delete;

    // The cursor of a named image; the arrow for an unknown name.
    static QCursor cursorNamed(const QString& name);
    // The image itself (null for an unknown name).
    static QImage imageNamed(const QString& name);
    static QPoint hotSpotOf(const QString& name);
};
