#pragma once

#include <QString>

class QAction;
class QMenu;

namespace vtr {

// Appends an item with the title, no action and no shortcut, carrying the
// text as its data (its represented object). Null for a null menu.
QAction* addItemWithTitle(QMenu* menu, const QString& title, const QString& representedObjectString);

} // namespace vtr
