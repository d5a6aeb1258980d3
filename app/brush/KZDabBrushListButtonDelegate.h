#pragma once

class KZDabBrushListButton;

// Told when a brush button becomes selected or unselected. Both calls are
// optional: the defaults do nothing.
class KZDabBrushListButtonDelegate {
public:
    virtual ~KZDabBrushListButtonDelegate() = default;
    virtual void dabBrushListButtonDidSelected(KZDabBrushListButton*) {}
    virtual void dabBrushListButtonDidUnSelected(KZDabBrushListButton*) {}
};
