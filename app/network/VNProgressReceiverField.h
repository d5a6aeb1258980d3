#pragma once

#include <memory>
#include <mutex>

class VNProgressDelegate;

// The place a progress receiver is kept: held weakly, and read again when a
// message is delivered, so a receiver cleared or replaced after a message
// was computed does not get it. Shared with the deliveries in flight.
class VNProgressReceiverField {
public:
    std::shared_ptr<VNProgressDelegate> get() const
    {
        std::lock_guard lock(m_lock);
        return m_receiver.lock();
    }
    void set(const std::shared_ptr<VNProgressDelegate>& receiver)
    {
        std::lock_guard lock(m_lock);
        m_receiver = receiver;
    }

private:
    mutable std::mutex m_lock;
    std::weak_ptr<VNProgressDelegate> m_receiver;
};
