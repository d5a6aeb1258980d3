#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class KZTexturalSegmentedControl;

// One segment of a skinned segmented control in the accessibility tree: a
// checkable button named by the segment's label, with its own extents, that
// can be pressed.
class KZSegmentAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    KZSegmentAccessible(KZTexturalSegmentedControl* control, int segment);

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

    int segment() const { return m_segment; }

private:
    QPointer<KZTexturalSegmentedControl> m_control;
    int m_segment;
};
