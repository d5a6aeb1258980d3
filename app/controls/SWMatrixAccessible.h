#pragma once

#include "KZAccessibleItemList.h"

class SWMatrix;

// A matrix in the accessibility tree: a list whose children are its cells
// (SWMatrixCellAccessible, row by row).
class SWMatrixAccessible : public KZAccessibleItemList {
public:
    explicit SWMatrixAccessible(SWMatrix* matrix);

    // Registers the factory once.
    static void install();

protected:
    int itemCount() const override;
    QAccessibleInterface* makeItem(int index) const override;

private:
    SWMatrix* matrix() const;
};
