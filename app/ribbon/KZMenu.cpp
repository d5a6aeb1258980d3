#include "KZMenu.h"

#include "KZMenuItem.h"

#include "platform/appkit/ActionRouter.h"

#include <QApplication>

KZMenu::KZMenu(QWidget* parent)
    : QMenu(parent)
{
    postInit();
}

KZMenu::KZMenu(const QString& title, const QList<QAction*>& items, QWidget* parent)
    : QMenu(title, parent)
{
    for (QAction* item : items) {
        if (!item->parent())
            item->setParent(this);
        addAction(item);
    }
    postInit();
}

void KZMenu::postInit()
{
    m_selectedItem = firstSelectableItem();
    // The small size of the system font.
    QFont small = QApplication::font();
    small.setPointSizeF(small.pointSizeF() * 11.0 / 13.0);
    setFont(small);
    connect(this, &QMenu::triggered, this, [this](QAction* action) {
        if (qobject_cast<KZMenuItem*>(action))
            performActionForItemAtIndex(int(actions().indexOf(action)));
    });
}

KZMenuItem* KZMenu::firstSelectableItem() const
{
    for (QAction* action : actions()) {
        if (auto* item = qobject_cast<KZMenuItem*>(action))
            return item;
    }
    return nullptr;
}

KZSelectableItem* KZMenu::itemAtIndex(int index) const
{
    const QList<QAction*> items = actions();
    if (index < 0 || index >= items.size())
        return nullptr;
    return qobject_cast<KZMenuItem*>(items.at(index));
}

void KZMenu::performActionForItemAtIndex(int index)
{
    const QList<QAction*> items = actions();
    if (index < 0 || index >= items.size())
        return;
    if (auto* item = qobject_cast<KZMenuItem*>(items.at(index))) {
        setAllMenuItemsActive(false);
        item->setActive(true);
        setSelectedItem(item);
        return;
    }
    items.at(index)->trigger();
}

void KZMenu::performActionForItem(QAction* item)
{
    if (!item || !actions().contains(item))
        return;
    if (auto* menuItem = qobject_cast<platform::MenuItem*>(item))
        platform::ActionRouter::shared().perform(menuItem);
    else
        item->trigger();
}

void KZMenu::setAllMenuItemsActive(bool active)
{
    for (QAction* action : actions()) {
        if (auto* item = qobject_cast<KZMenuItem*>(action))
            item->setActive(active);
    }
}

KZSelectableItem* KZMenu::selectedItem() const
{
    return m_selectedItem.data();
}

void KZMenu::setSelectedItem(KZSelectableItem* item)
{
    m_selectedItem = dynamic_cast<KZMenuItem*>(item);
    emit selectedItemChanged();
    selectedItemDidChange();
}
