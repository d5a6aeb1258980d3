#pragma once

#include "Debug.h"

#include <cstdint>
#include <vector>

// An ordered list of object pointers in which a slot may be empty (null).
// The array does not own what it points at. An index outside the array is
// the caller's fault: it is logged at ERR and the call does nothing (a read
// gives nothing).
template <typename T>
class PointerArray {
public:
    std::int64_t count() const { return static_cast<std::int64_t>(entries.size()); }

    // The object in the slot; null for an empty slot.
    T* object(std::int64_t index) const
    {
        if (!checkIndex(index, count()))
            return nullptr;
        return entries[size_t(index)];
    }

    void addObject(T* object) { entries.push_back(object); }

    void insertObject(T* object, std::int64_t index)
    {
        if (checkIndex(index, count() + 1))
            entries.insert(entries.begin() + index, object);
    }

    void replaceObject(std::int64_t index, T* object)
    {
        if (checkIndex(index, count()))
            entries[size_t(index)] = object;
    }

    // Removes the first slot that holds this very object (identity, not
    // equality); nothing when no slot does.
    void removeObject(const T* object)
    {
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (*it == object) {
                entries.erase(it);
                return;
            }
        }
    }

    void removeObjectAt(std::int64_t index)
    {
        if (checkIndex(index, count()))
            entries.erase(entries.begin() + index);
    }

    // The object in the last slot; null when the array is empty or that slot is.
    T* lastObject() const { return entries.empty() ? nullptr : entries.back(); }

private:
    static bool checkIndex(std::int64_t index, std::int64_t limit)
    {
        if (index >= 0 && index < limit)
            return true;
        Debug::e(QStringLiteral("Index %1 is out of the pointer array's bounds.").arg(index));
        return false;
    }

    std::vector<T*> entries;
};
