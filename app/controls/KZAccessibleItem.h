#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>
#include <QWidget>

// One item of a control (a segment, a matrix cell) in the accessibility
// tree: a checkable button with its own extents that can be pressed. The
// control draws its items itself, so they have no widgets of their own;
// subclasses say what the item is called, where it lies and how to press it.
class KZAccessibleItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit KZAccessibleItem(QWidget* control);

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

protected:
    // Called only while the control exists.
    virtual bool itemExists() const = 0;
    virtual QString name() const = 0;
    virtual QString description() const { return QString(); }
    // In the control's own coordinates.
    virtual QRect localRect() const = 0;
    virtual bool isChecked() const = 0;
    virtual bool isItemEnabled() const { return true; }
    virtual void press() = 0;

    QWidget* control() const { return m_control; }

private:
    QPointer<QWidget> m_control;
};
