#pragma once

#include "ControlView.h"

// A control view that pins subviews to all four of its edges.
class BoxView : public ControlView {
    Q_OBJECT
public:
    explicit BoxView(QWidget* parent = nullptr);

    // Makes the view a child covering the whole box, now and after every
    // resize. Earlier pinned views stay (later ones lie on top).
    virtual void addFullCoveredView(QWidget* view);
};
