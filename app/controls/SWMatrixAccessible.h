#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVector>

class SWMatrix;

// A matrix in the accessibility tree: a list whose children are its cells
// (SWMatrixCellAccessible, row by row), so that a test or a screen reader
// finds each cell and its extents by its name.
class SWMatrixAccessible : public QAccessibleWidget {
public:
    explicit SWMatrixAccessible(SWMatrix* matrix);
    ~SWMatrixAccessible() override;

    // Registers the factory once.
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    SWMatrix* matrix() const;
    void syncChildren() const;
    mutable QVector<QAccessible::Id> m_children;
};
