#include "KZTexturalSegmentedControlAccessible.h"

#include "KZSegmentAccessible.h"
#include "KZTexturalSegmentedControl.h"

namespace {
QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (auto* control = qobject_cast<KZTexturalSegmentedControl*>(object))
        return new KZTexturalSegmentedControlAccessible(control);
    return nullptr;
}
} // namespace

KZTexturalSegmentedControlAccessible::KZTexturalSegmentedControlAccessible(KZTexturalSegmentedControl* control)
    : QAccessibleWidget(control, QAccessible::PageTabList)
{
}

KZTexturalSegmentedControlAccessible::~KZTexturalSegmentedControlAccessible()
{
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
}

void KZTexturalSegmentedControlAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

KZTexturalSegmentedControl* KZTexturalSegmentedControlAccessible::control() const
{
    return static_cast<KZTexturalSegmentedControl*>(widget());
}

void KZTexturalSegmentedControlAccessible::syncChildren() const
{
    const int count = control() ? control()->segmentCount() : 0;
    if (m_children.size() == count)
        return;
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
    m_children.clear();
    for (int i = 0; i < count; ++i)
        m_children << QAccessible::registerAccessibleInterface(new KZSegmentAccessible(control(), i));
}

int KZTexturalSegmentedControlAccessible::childCount() const
{
    syncChildren();
    return m_children.size();
}

QAccessibleInterface* KZTexturalSegmentedControlAccessible::child(int index) const
{
    syncChildren();
    return index >= 0 && index < m_children.size() ? QAccessible::accessibleInterface(m_children[index]) : nullptr;
}

int KZTexturalSegmentedControlAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    syncChildren();
    for (int i = 0; i < m_children.size(); ++i) {
        if (QAccessible::accessibleInterface(m_children[i]) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface* KZTexturalSegmentedControlAccessible::childAt(int x, int y) const
{
    syncChildren();
    for (int i = 0; i < m_children.size(); ++i) {
        QAccessibleInterface* segment = QAccessible::accessibleInterface(m_children[i]);
        if (segment && segment->rect().contains(x, y))
            return segment;
    }
    return nullptr;
}
