#include "SWMatrixAccessible.h"

#include "SWMatrix.h"
#include "SWMatrixCellAccessible.h"

namespace {
QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (auto* matrix = qobject_cast<SWMatrix*>(object))
        return new SWMatrixAccessible(matrix);
    return nullptr;
}
} // namespace

SWMatrixAccessible::SWMatrixAccessible(SWMatrix* matrix)
    : QAccessibleWidget(matrix, QAccessible::List)
{
}

SWMatrixAccessible::~SWMatrixAccessible()
{
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
}

void SWMatrixAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

SWMatrix* SWMatrixAccessible::matrix() const
{
    return static_cast<SWMatrix*>(widget());
}

void SWMatrixAccessible::syncChildren() const
{
    // The grid never changes size after it is made.
    const SWMatrix* m = matrix();
    const int count = m ? m->numberOfRows() * m->numberOfColumns() : 0;
    if (m_children.size() == count)
        return;
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
    m_children.clear();
    for (int i = 0; i < count; ++i) {
        m_children << QAccessible::registerAccessibleInterface(
            new SWMatrixCellAccessible(matrix(), i / m->numberOfColumns(), i % m->numberOfColumns()));
    }
}

int SWMatrixAccessible::childCount() const
{
    syncChildren();
    return m_children.size();
}

QAccessibleInterface* SWMatrixAccessible::child(int index) const
{
    syncChildren();
    return index >= 0 && index < m_children.size() ? QAccessible::accessibleInterface(m_children[index]) : nullptr;
}

int SWMatrixAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    syncChildren();
    for (int i = 0; i < m_children.size(); ++i) {
        if (QAccessible::accessibleInterface(m_children[i]) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface* SWMatrixAccessible::childAt(int x, int y) const
{
    syncChildren();
    for (int i = 0; i < m_children.size(); ++i) {
        QAccessibleInterface* cell = QAccessible::accessibleInterface(m_children[i]);
        if (cell && cell->rect().contains(x, y))
            return cell;
    }
    return nullptr;
}
