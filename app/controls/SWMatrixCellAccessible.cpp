#include "SWMatrixCellAccessible.h"

#include "SWMatrix.h"

#include <QAccessible>
#include <QWindow>

SWMatrixCellAccessible::SWMatrixCellAccessible(SWMatrix* matrix, int row, int column)
    : m_matrix(matrix)
    , m_row(row)
    , m_column(column)
{
}

bool SWMatrixCellAccessible::isValid() const
{
    return m_matrix && m_matrix->cellAt(m_row, m_column);
}

QWindow* SWMatrixCellAccessible::window() const
{
    return m_matrix ? m_matrix->window()->windowHandle() : nullptr;
}

QAccessibleInterface* SWMatrixCellAccessible::parent() const
{
    return m_matrix ? QAccessible::queryAccessibleInterface(m_matrix) : nullptr;
}

QString SWMatrixCellAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return QString();
    if (t == QAccessible::Name)
        return m_matrix->accessibleNameForCell(m_row, m_column);
    if (t == QAccessible::Description)
        return m_matrix->accessibleDescriptionForCell(m_row, m_column);
    return QString();
}

QRect SWMatrixCellAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect local = m_matrix->cellFrame(m_row, m_column).toAlignedRect();
    return QRect(m_matrix->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State SWMatrixCellAccessible::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    s.checkable = true;
    s.checked = m_matrix->selectedRow() == m_row && m_matrix->selectedColumn() == m_column;
    s.disabled = !m_matrix->isEnabled() || !m_matrix->cellAt(m_row, m_column)->isEnabled();
    s.invisible = !m_matrix->isVisible();
    return s;
}

void* SWMatrixCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList SWMatrixCellAccessible::actionNames() const
{
    return {pressAction()};
}

void SWMatrixCellAccessible::doAction(const QString& actionName)
{
    if (isValid() && actionName == pressAction() && m_matrix->isEnabled())
        m_matrix->performClick(m_row, m_column);
}
