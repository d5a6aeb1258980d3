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

} // namespace vtr
