#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVector>

namespace platform {
class Matrix;
}

// A matrix in the accessibility tree: a table whose children are its cells
// (KZMatrixCellAccessible), row by row.
class KZMatrixAccessible : public QAccessibleWidget {
public:
    explicit KZMatrixAccessible(platform::Matrix* matrix);
    ~KZMatrixAccessible() override;

    // Registers the factory once; call before a matrix is first shown.
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    platform::Matrix* matrix() const;
    void syncChildren() const;
    mutable QVector<QAccessible::Id> m_children;
};
