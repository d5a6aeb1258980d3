#pragma once

#include <QAccessibleInterface>
#include <QPointer>

namespace platform {
class Matrix;
}

// One cell of a matrix in the accessibility tree: a checkable button named
// by the cell's title, with the cell's own extents, so that a screen reader
// (and the end-to-end tests) find each shape or tool of a matrix by name.
class KZMatrixCellAccessible : public QAccessibleInterface {
public:
    KZMatrixCellAccessible(platform::Matrix* matrix, int row, int column);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;

private:
    QPointer<platform::Matrix> m_matrix;
    int m_row;
    int m_column;
};
