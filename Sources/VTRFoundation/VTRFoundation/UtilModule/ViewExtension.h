#pragma once

class QWidget;

namespace ViewExtension {

// Whether the widget holds its window's focus: the window's focus widget is
// the widget itself or the widget that stands in for its focus (its focus
// proxy, as a text field's editor does). False for no widget, and for a
// window with no focus widget.
bool isFirstResponderInWindow(const QWidget* view);

} // namespace ViewExtension
