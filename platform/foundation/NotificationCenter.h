#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>
#include <vector>

namespace platform {

struct Notification {
    QString name;
    const void* sender = nullptr;
    QVariantMap userInfo;
    // A free-form object carried with the notification (for example a text).
    QVariant object;
};

// Synchronous, process-wide notification centre: post() calls every matching
// observer before it returns, in the order they were added. Observers are
// identified by an owner pointer so that one call removes all of an owner's.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // An empty name matches every name; a null sender matches every sender.
    void addObserver(const void* owner, const QString& name, const void* sender, Handler handler);
    void removeObserver(const void* owner);
    void removeObserver(const void* owner, const QString& name);

    void post(const QString& name, const void* sender = nullptr,
              const QVariantMap& userInfo = {}, const QVariant& object = {});

private:
    struct Entry {
        quint64 id;
        const void* owner;
        QString name;
        const void* sender;
        Handler handler;
        bool removed = false;
    };
    std::vector<Entry> m_entries;
    quint64 m_nextId = 1;
    int m_postDepth = 0;
    void compact();
};

} // namespace platform
