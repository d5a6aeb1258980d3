#pragma once

#include <functional>

class QWidget;

// Visits a view's descendants depth first, each parent before its
// children, siblings in stacking order (the order they were added). The
// block gets the view, its index among its siblings and a stop flag;
// setting the flag skips that view's descendants and the rest of its
// siblings, while the walks of its ancestors' lists go on.
class KZDescendantWalk {
public:
    using Block = std::function<void(QWidget* view, int index, bool* stop)>;

    KZDescendantWalk() = delete;
    static void enumerateDescendantsUsingBlock(QWidget* view, const Block& block);
};
