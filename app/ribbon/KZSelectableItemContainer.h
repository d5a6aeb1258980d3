#pragma once

class KZSelectableItem;

// Holds selectable items and remembers the one chosen last. Containers
// that are QObjects announce a new choice with a signal of their own.
class KZSelectableItemContainer {
public:
    virtual ~KZSelectableItemContainer() = default;
    virtual KZSelectableItem* selectedItem() const = 0;
    virtual void setSelectedItem(KZSelectableItem* item) = 0;
};
