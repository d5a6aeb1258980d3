#pragma once

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace platform {

// A value whose observers hear of every set, even to an equal value (the
// tools rely on that to re-read a setting the user chose again).
// Observers are keyed by an owner pointer; remove them before the owner dies.
template <typename T>
class ObservableProperty {
public:
    using Observer = std::function<void(const T& oldValue, const T& newValue)>;

    ObservableProperty() = default;
    explicit ObservableProperty(T initial) : m_value(std::move(initial)) {}
    ObservableProperty(const ObservableProperty&) = delete;
    ObservableProperty& operator=(const ObservableProperty&) = delete;

    const T& get() const { return m_value; }
    operator const T&() const { return m_value; }

    void set(T value)
    {
        T old = std::exchange(m_value, std::move(value));
        // Copy, so observers may add or remove observers while being told.
        const auto observers = m_observers;
        for (const auto& entry : observers) {
            if (isObserving(entry.first))
                entry.second(old, m_value);
        }
    }

    void observe(const void* owner, Observer observer)
    {
        m_observers.emplace_back(owner, std::move(observer));
    }

    void removeObserver(const void* owner)
    {
        m_observers.erase(std::remove_if(m_observers.begin(), m_observers.end(),
                                         [owner](const auto& e) { return e.first == owner; }),
                          m_observers.end());
    }

    bool isObserving(const void* owner) const
    {
        return std::any_of(m_observers.begin(), m_observers.end(),
                           [owner](const auto& e) { return e.first == owner; });
    }

    size_t observerCount() const { return m_observers.size(); }

private:
    T m_value{};
    std::vector<std::pair<const void*, Observer>> m_observers;
};

} // namespace platform
