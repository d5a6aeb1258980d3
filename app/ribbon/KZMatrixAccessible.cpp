#include "KZMatrixAccessible.h"

#include "KZMatrixCellAccessible.h"

#include "platform/appkit/Matrix.h"

namespace {
QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (auto* matrix = qobject_cast<platform::Matrix*>(object))
        return new KZMatrixAccessible(matrix);
    return nullptr;
}
} // namespace

KZMatrixAccessible::KZMatrixAccessible(platform::Matrix* matrix)
    : QAccessibleWidget(matrix, QAccessible::Table)
{
}

KZMatrixAccessible::~KZMatrixAccessible()
{
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
}

void KZMatrixAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

platform::Matrix* KZMatrixAccessible::matrix() const
{
    return static_cast<platform::Matrix*>(widget());
}

void KZMatrixAccessible::syncChildren() const
{
    platform::Matrix* m = matrix();
    const int count = m ? m->numberOfRows() * m->numberOfColumns() : 0;
    if (m_children.size() == count)
        return;
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
    m_children.clear();
    for (int i = 0; i < count; ++i)
        m_children << QAccessible::registerAccessibleInterface(
            new KZMatrixCellAccessible(m, i / m->numberOfColumns(), i % m->numberOfColumns()));
}

int KZMatrixAccessible::childCount() const
{
    syncChildren();
    return m_children.size();
}

QAccessibleInterface* KZMatrixAccessible::child(int index) const
{
    syncChildren();
    return index >= 0 && index < m_children.size() ? QAccessible::accessibleInterface(m_children[index]) : nullptr;
}

int KZMatrixAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    syncChildren();
    for (int i = 0; i < m_children.size(); ++i) {
        if (QAccessible::accessibleInterface(m_children[i]) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface* KZMatrixAccessible::childAt(int x, int y) const
{
    syncChildren();
    for (QAccessible::Id id : std::as_const(m_children)) {
        QAccessibleInterface* cell = QAccessible::accessibleInterface(id);
        if (cell && cell->rect().contains(x, y))
            return cell;
    }
    return nullptr;
}
