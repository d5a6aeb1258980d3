#pragma once

#include <QString>
#include <QUuid>

namespace platform {

// Stand-in for the outside analytics and crash-report service: it sends
// nothing anywhere and logs every call.
class MSAppCenterProxy {
public:
    static void prepareAndStartWithAnalyticsCrashes(const QString& appSecret);
    // A random identifier made once per run.
    static QUuid installId();
};

} // namespace platform
