#pragma once

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

class KZSelectableItem;

// Holds selectable items and remembers the one chosen last. Observers hear
// of every new choice: a container calls selectedItemDidChange() after each
// set of its selected item.
class KZSelectableItemContainer {
public:
    using Observer = std::function<void(KZSelectableItem* item)>;

    virtual ~KZSelectableItemContainer() = default;
    virtual KZSelectableItem* selectedItem() const = 0;
    virtual void setSelectedItem(KZSelectableItem* item) = 0;

    // Optional: containers that can index their items say so here and
    // answer itemAtIndex().
    virtual bool answersItemAtIndex() const { return false; }
    virtual KZSelectableItem* itemAtIndex(int index) const
    {
        (void)index;
        return nullptr;
    }

    // Observers are keyed by an owner pointer; remove them before the owner
    // dies.
    void observeSelectedItem(const void* owner, Observer observer)
    {
        m_observers.emplace_back(owner, std::move(observer));
    }
    void removeSelectedItemObserver(const void* owner)
    {
        m_observers.erase(std::remove_if(m_observers.begin(), m_observers.end(),
                                         [owner](const auto& e) { return e.first == owner; }),
                          m_observers.end());
    }

protected:
    void selectedItemDidChange()
    {
        // A copy, so an observer may stop observing while it is told.
        const auto observers = m_observers;
        for (const auto& entry : observers) {
            const bool stillObserving = std::any_of(m_observers.begin(), m_observers.end(),
                                                    [&](const auto& e) { return e.first == entry.first; });
            if (stillObserving)
                entry.second(selectedItem());
        }
    }

private:
    std::vector<std::pair<const void*, Observer>> m_observers;
};
