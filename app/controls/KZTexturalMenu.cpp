#include "KZTexturalMenu.h"

#include "KZSelectableItem.h"

#include <QWidget>

KZTexturalMenu::KZTexturalMenu(const QString& identifier, QWidget* parent)
    : KZTexturalView(identifier, parent)
{
}

KZSelectableItem* KZTexturalMenu::selectedItem() const
{
    return m_selectedIsObject && !m_selectedGuard ? nullptr : m_selectedItem;
}

void KZTexturalMenu::setSelectedItem(KZSelectableItem* item)
{
    m_selectedItem = item;
    m_selectedGuard = dynamic_cast<QObject*>(item);
    m_selectedIsObject = m_selectedGuard != nullptr;
    emit selectedItemChanged();
    selectedItemDidChange();
}

void KZTexturalMenu::performUpdate()
{
    for (QObject* child : children()) {
        if (auto* updatable = dynamic_cast<platform::Updatable*>(child))
            updatable->performUpdate();
    }
}
