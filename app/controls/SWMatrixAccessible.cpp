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
    : KZAccessibleItemList(matrix, QAccessible::List)
{
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

int SWMatrixAccessible::itemCount() const
{
    // The grid never changes size after it is made.
    return matrix()->numberOfRows() * matrix()->numberOfColumns();
}

QAccessibleInterface* SWMatrixAccessible::makeItem(int index) const
{
    const int columns = matrix()->numberOfColumns();
    return new SWMatrixCellAccessible(matrix(), index / columns, index % columns);
}
