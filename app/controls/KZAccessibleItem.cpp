#include "KZAccessibleItem.h"

#include <QAccessible>
#include <QWindow>

KZAccessibleItem::KZAccessibleItem(QWidget* control)
    : m_control(control)
{
}

bool KZAccessibleItem::isValid() const
{
    return m_control && itemExists();
}

QWindow* KZAccessibleItem::window() const
{
    return m_control ? m_control->window()->windowHandle() : nullptr;
}

QAccessibleInterface* KZAccessibleItem::parent() const
{
    return m_control ? QAccessible::queryAccessibleInterface(m_control) : nullptr;
}

QString KZAccessibleItem::text(QAccessible::Text t) const
{
    if (!isValid())
        return QString();
    if (t == QAccessible::Name)
        return name();
    if (t == QAccessible::Description)
        return description();
    return QString();
}

QRect KZAccessibleItem::rect() const
{
    if (!isValid())
        return QRect();
    const QRect local = localRect();
    if (local.isNull())
        return QRect();
    return QRect(m_control->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State KZAccessibleItem::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    s.checkable = true;
    s.checked = isChecked();
    s.disabled = !m_control->isEnabled() || !isItemEnabled();
    s.invisible = !m_control->isVisible();
    return s;
}

void* KZAccessibleItem::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList KZAccessibleItem::actionNames() const
{
    return {pressAction()};
}

void KZAccessibleItem::doAction(const QString& actionName)
{
    if (isValid() && actionName == pressAction() && m_control->isEnabled())
        press();
}
