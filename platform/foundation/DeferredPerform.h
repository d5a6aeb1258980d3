#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <utility>

namespace platform {

// Work to be done once the event loop comes round again. Requests with the
// same target and key made within one event turn become one call; all of a
// target's pending requests can be cancelled (do so before the target dies).
class DeferredPerform : public QObject {
    Q_OBJECT
public:
    static DeferredPerform& shared();

    void perform(const void* target, const QString& key, std::function<void()> work, int delayMs = 0);
    void cancel(const void* target);
    void cancel(const void* target, const QString& key);
    bool isPending(const void* target, const QString& key) const;

private:
    DeferredPerform() = default;
    struct Pending {
        std::function<void()> work;
        quint64 generation;
    };
    std::map<std::pair<const void*, QString>, Pending> m_pending;
    quint64 m_generation = 0;
};

} // namespace platform
