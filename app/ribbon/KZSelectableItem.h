#pragma once

#include <QImage>

#include <optional>

// An item that a selectable-item container (a menu, the brush chooser)
// holds and a split pop-up button shows.
class KZSelectableItem {
public:
    virtual ~KZSelectableItem() = default;
    virtual void setSelected(bool selected) = 0;
    virtual bool isSelected() const = 0;
    virtual int tag() const = 0;
    virtual QImage image() const = 0;
    virtual bool active() const = 0;
    virtual void setActive(bool active) = 0;
    // Optional: told after a pop-up button passed its on or off state on.
    virtual void notifyContainerSelectStateChanged() {}
    // Optional: whether the item may be used now; no answer (the default)
    // counts as usable.
    virtual std::optional<bool> itemIsEnabled() const { return std::nullopt; }
};
