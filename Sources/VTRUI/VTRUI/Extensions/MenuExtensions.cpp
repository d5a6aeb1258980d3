#include "MenuExtensions.h"

#include <QMenu>

namespace vtr {

QAction* addItemWithTitle(QMenu* menu, const QString& title, const QString& representedObjectString)
{
    if (!menu)
        return nullptr;
    QAction* item = menu->addAction(title);
    item->setData(representedObjectString);
    return item;
}

} // namespace vtr
