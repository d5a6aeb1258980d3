#include "MSAppCenterProxy.h"

#include "platform/foundation/SystemLog.h"

namespace platform {

void MSAppCenterProxy::prepareAndStartWithAnalyticsCrashes(const QString& appSecret)
{
    nsLog(QStringLiteral("MSAppCenterWrapper stand-in: prepareAndStartWithAnalyticsCrashes: %1").arg(appSecret));
}

QUuid MSAppCenterProxy::installId()
{
    static const QUuid id = QUuid::createUuid();
    return id;
}

} // namespace platform
