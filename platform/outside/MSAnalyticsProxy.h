#pragma once

#include <QMap>
#include <QString>

namespace platform {

// Stand-in for the outside analytics events: logged, never sent.
class MSAnalyticsProxy {
public:
    static void trackEvent(const QString& name);
    static void trackEvent(const QString& name, const QMap<QString, QString>& properties);
};

} // namespace platform
