#include "MSAnalyticsProxy.h"

#include "platform/foundation/SystemLog.h"

#include <QStringList>

namespace platform {

void MSAnalyticsProxy::trackEvent(const QString& name)
{
    nsLog(QStringLiteral("MSAppCenterWrapper stand-in: trackEvent: %1").arg(name));
}

void MSAnalyticsProxy::trackEvent(const QString& name, const QMap<QString, QString>& properties)
{
    QStringList pairs;
    for (auto it = properties.begin(); it != properties.end(); ++it)
        pairs << QStringLiteral("%1 = %2").arg(it.key(), it.value());
    nsLog(QStringLiteral("MSAppCenterWrapper stand-in: trackEvent:withProperties: %1, {%2}").arg(name, pairs.join("; ")));
}

} // namespace platform
