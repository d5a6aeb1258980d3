#pragma once

#include <QRect>

#include <optional>

class QWidget;

namespace vtr {

void setHiddenOnlyNeeded(QWidget* view, bool hidden);
// Marks the whole view for redrawing.
void invalidateEntireRect(QWidget* view);
// Marks the rectangle for redrawing; no rectangle means the whole view.
void invalidateRect(QWidget* view, const std::optional<QRect>& rect);

// A view's tag, a number its owner finds it by (0 when none was set).
void setTag(QWidget* view, int tag);
int tag(const QWidget* view);
// The view itself or its first descendant with that tag, or null.
QWidget* viewWithTag(QWidget* view, int tag);

} // namespace vtr
