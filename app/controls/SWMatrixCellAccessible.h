#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class SWMatrix;

// One cell of a matrix in the accessibility tree: a checkable button with
// its own extents, named by the matrix (the cell's title, or what the
// matrix says of it, such as a swatch's colour name), that can be pressed.
class SWMatrixCellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SWMatrixCellAccessible(SWMatrix* matrix, int row, int column);

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
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    int row() const { return m_row; }
    int column() const { return m_column; }

private:
    QPointer<SWMatrix> m_matrix;
    int m_row;
    int m_column;
};
