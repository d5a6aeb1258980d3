#include "KZMatrixCellAccessible.h"

#include "platform/appkit/Matrix.h"

#include <QAccessible>
#include <QWindow>

KZMatrixCellAccessible::KZMatrixCellAccessible(platform::Matrix* matrix, int row, int column)
    : m_matrix(matrix)
    , m_row(row)
    , m_column(column)
{
}

bool KZMatrixCellAccessible::isValid() const
{
    return m_matrix && m_matrix->cellAt(m_row, m_column);
}

QWindow* KZMatrixCellAccessible::window() const
{
    return m_matrix && m_matrix->window() ? m_matrix->window()->windowHandle() : nullptr;
}

QAccessibleInterface* KZMatrixCellAccessible::parent() const
{
    return m_matrix ? QAccessible::queryAccessibleInterface(m_matrix) : nullptr;
}

QString KZMatrixCellAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return QString();
    const QString title = m_matrix->cellAt(m_row, m_column)->title();
    if (t == QAccessible::Name)
        return title;
    if (t == QAccessible::Description)
        return m_matrix->accessibleDescription().isEmpty() ? title : m_matrix->accessibleDescription();
    return QString();
}

QRect KZMatrixCellAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect local = m_matrix->cellFrame(m_row, m_column).toAlignedRect();
    return QRect(m_matrix->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State KZMatrixCellAccessible::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    s.checkable = true;
    s.checked = m_matrix->cellAt(m_row, m_column)->state() == platform::ButtonCell::On;
    s.disabled = !m_matrix->isEnabled();
    s.invisible = !m_matrix->isVisible();
    return s;
}
