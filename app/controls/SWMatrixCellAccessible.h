#pragma once

#include "KZAccessibleItem.h"

class SWMatrix;

// One cell of a matrix in the accessibility tree, named by the matrix (the
// cell's title, or what the matrix says of it, such as a swatch's colour
// name).
class SWMatrixCellAccessible : public KZAccessibleItem {
public:
    SWMatrixCellAccessible(SWMatrix* matrix, int row, int column);

    int row() const { return m_row; }
    int column() const { return m_column; }

protected:
    bool itemExists() const override;
    QString name() const override;
    QString description() const override;
    QRect localRect() const override;
    bool isChecked() const override;
    bool isItemEnabled() const override;
    void press() override;

private:
    SWMatrix* matrix() const;
    int m_row;
    int m_column;
};
