#include "MenuItem.h"

#include "ActionRouter.h"

namespace platform {

MenuItem::MenuItem(const QString& title, const QString& action, const QKeySequence& shortcut, QObject* parent)
    : QAction(title, parent)
    , m_action(action)
{
    if (!shortcut.isEmpty())
        setShortcut(shortcut);
    connect(this, &QAction::triggered, this, [this] { ActionRouter::shared().perform(this); });
}

} // namespace platform
