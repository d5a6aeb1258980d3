#pragma once

class QWidget;

// Backing scale of a view's screen: device pixels per logical pixel.
// Zoom levels count canvas pixels against device pixels, so every
// conversion between a level and Qt's logical geometry goes through it.
namespace HiResSupport {

// The device pixel ratio of the screen the view is on; 1.0 for no view.
double screenScaleFactor(const QWidget* view);

} // namespace HiResSupport
