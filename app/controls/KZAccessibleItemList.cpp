#include "KZAccessibleItemList.h"

KZAccessibleItemList::KZAccessibleItemList(QWidget* control, QAccessible::Role role)
    : QAccessibleWidget(control, role)
{
}

KZAccessibleItemList::~KZAccessibleItemList()
{
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
}

void KZAccessibleItemList::syncChildren() const
{
    const int count = widget() ? itemCount() : 0;
    if (m_children.size() == count)
        return;
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
    m_children.clear();
    for (int i = 0; i < count; ++i)
        m_children << QAccessible::registerAccessibleInterface(makeItem(i));
}

int KZAccessibleItemList::childCount() const
{
    syncChildren();
    return m_children.size();
}

QAccessibleInterface* KZAccessibleItemList::child(int index) const
{
    syncChildren();
    return index >= 0 && index < m_children.size() ? QAccessible::accessibleInterface(m_children[index]) : nullptr;
}

int KZAccessibleItemList::indexOfChild(const QAccessibleInterface* child) const
{
    syncChildren();
    for (int i = 0; i < m_children.size(); ++i) {
        if (QAccessible::accessibleInterface(m_children[i]) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface* KZAccessibleItemList::childAt(int x, int y) const
{
    syncChildren();
    for (int i = 0; i < m_children.size(); ++i) {
        QAccessibleInterface* item = QAccessible::accessibleInterface(m_children[i]);
        if (item && item->rect().contains(x, y))
            return item;
    }
    return nullptr;
}
