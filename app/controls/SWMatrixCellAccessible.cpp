#include "SWMatrixCellAccessible.h"

#include "SWMatrix.h"

SWMatrixCellAccessible::SWMatrixCellAccessible(SWMatrix* matrix, int row, int column)
    : KZAccessibleItem(matrix)
    , m_row(row)
    , m_column(column)
{
}

SWMatrix* SWMatrixCellAccessible::matrix() const
{
    return static_cast<SWMatrix*>(control());
}

bool SWMatrixCellAccessible::itemExists() const
{
    return matrix()->cellAt(m_row, m_column);
}

QString SWMatrixCellAccessible::name() const
{
    return matrix()->accessibleNameForCell(m_row, m_column);
}

QString SWMatrixCellAccessible::description() const
{
    return matrix()->accessibleDescriptionForCell(m_row, m_column);
}

QRect SWMatrixCellAccessible::localRect() const
{
    return matrix()->cellFrame(m_row, m_column).toAlignedRect();
}

bool SWMatrixCellAccessible::isChecked() const
{
    return matrix()->selectedRow() == m_row && matrix()->selectedColumn() == m_column;
}

bool SWMatrixCellAccessible::isItemEnabled() const
{
    return matrix()->cellAt(m_row, m_column)->isEnabled();
}

void SWMatrixCellAccessible::press()
{
    matrix()->performClick(m_row, m_column);
}
