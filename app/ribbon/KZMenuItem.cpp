#include "KZMenuItem.h"

#include "KZMenu.h"

#include <QIcon>
#include <QPixmap>

KZMenuItem::KZMenuItem(const QString& title, const QString& action, const QKeySequence& keyEquivalent,
                       QObject* parent)
    : platform::MenuItem(title, action, keyEquivalent, parent)
{
    postInit();
}

void KZMenuItem::postInit()
{
    // A choice in the menu goes to the menu, which makes the item its
    // chosen one; the action is sent only through setSelected().
    disconnect(this, &QAction::triggered, this, nullptr);
    setCheckable(true);
    setActive(false);
}

void KZMenuItem::setSelected(bool)
{
    for (QObject* object : associatedObjects()) {
        if (auto* menu = qobject_cast<KZMenu*>(object)) {
            menu->performActionForItem(this);
            return;
        }
    }
}

void KZMenuItem::setImage(const QImage& image)
{
    m_image = image;
    setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
}

void KZMenuItem::setActive(bool active)
{
    m_active = active;
    setChecked(active);
}
