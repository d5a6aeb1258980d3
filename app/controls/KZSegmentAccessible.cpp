#include "KZSegmentAccessible.h"

#include "KZTexturalSegmentedControl.h"

#include <QAccessible>
#include <QWidget>
#include <QWindow>

KZSegmentAccessible::KZSegmentAccessible(KZTexturalSegmentedControl* control, int segment)
    : m_control(control)
    , m_segment(segment)
{
}

bool KZSegmentAccessible::isValid() const
{
    return m_control && m_segment < m_control->segmentCount();
}

QWindow* KZSegmentAccessible::window() const
{
    return m_control ? m_control->window()->windowHandle() : nullptr;
}

QAccessibleInterface* KZSegmentAccessible::parent() const
{
    return m_control ? QAccessible::queryAccessibleInterface(m_control) : nullptr;
}

QString KZSegmentAccessible::text(QAccessible::Text t) const
{
    // The segment's label names and describes it.
    if (!isValid() || (t != QAccessible::Name && t != QAccessible::Description))
        return QString();
    return m_control->labelForSegment(m_segment);
}

QRect KZSegmentAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QVector<QRectF> rects = m_control->cell()->drawingRects(QSizeF(m_control->size()));
    if (m_segment >= rects.size())
        return QRect();
    const QRect local = rects[m_segment].toAlignedRect();
    return QRect(m_control->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State KZSegmentAccessible::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    s.checkable = true;
    s.checked = m_control->isSelectedForSegment(m_segment);
    s.disabled = !m_control->isEnabled();
    s.invisible = !m_control->isVisible();
    return s;
}

void* KZSegmentAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList KZSegmentAccessible::actionNames() const
{
    return {pressAction()};
}

void KZSegmentAccessible::doAction(const QString& actionName)
{
    if (isValid() && actionName == pressAction())
        m_control->performClick(m_segment);
}
