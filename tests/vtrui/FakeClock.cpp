#include "FakeClock.h"

#include <algorithm>

namespace {

class FakeTimer : public VTRTimer {
public:
    explicit FakeTimer(std::weak_ptr<void> entry, bool* valid) : m_entry(std::move(entry)), m_valid(valid) {}
    ~FakeTimer() override { invalidate(); }
    void invalidate() override
    {
        if (!m_entry.expired())
            *m_valid = false;
    }
    bool isValid() const override { return !m_entry.expired() && *m_valid; }

private:
    std::weak_ptr<void> m_entry;
    bool* m_valid;
};

} // namespace

std::unique_ptr<VTRTimer> FakeClock::scheduleRepeatingTimer(double interval, std::function<void()> fire)
{
    auto entry = std::make_shared<Entry>(Entry{interval, m_now + interval, std::move(fire)});
    m_entries.push_back(entry);
    return std::make_unique<FakeTimer>(std::weak_ptr<void>(entry), &entry->valid);
}

void FakeClock::advance(double seconds)
{
    const double end = m_now + seconds;
    for (;;) {
        std::shared_ptr<Entry> next;
        for (const auto& entry : m_entries) {
            if (entry->valid && entry->due <= end && (!next || entry->due < next->due))
                next = entry;
        }
        if (!next)
            break;
        m_now = next->due;
        next->due += next->interval;
        const auto fire = next->fire; // the call may invalidate the timer
        fire();
    }
    m_now = end;
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [](const auto& e) { return !e->valid; }),
                    m_entries.end());
}

int FakeClock::activeTimerCount() const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const auto& e) { return e->valid; }));
}
