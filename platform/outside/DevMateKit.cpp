#include "DevMateKit.h"

#include "platform/foundation/SystemLog.h"

namespace platform {

static QString describe(const void* p)
{
    return p ? QStringLiteral("<%1>").arg(quintptr(p), 0, 16) : QStringLiteral("(null)");
}

void DevMateKit::sendTrackingReport(const void* report, const void* delegate)
{
    nsLog(QStringLiteral("DevMateKit stand-in: sendTrackingReport:delegate: %1, %2").arg(describe(report), describe(delegate)));
}

void DevMateKit::setupIssuesController(const void* controller, bool reportingUnhandledIssues)
{
    nsLog(QStringLiteral("DevMateKit stand-in: setupIssuesController:reportingUnhandledIssues: %1, %2")
              .arg(describe(controller), reportingUnhandledIssues ? "YES" : "NO"));
}

void DevMateKit::showFeedbackDialog(const void* sender, int mode)
{
    nsLog(QStringLiteral("DevMateKit stand-in: showFeedbackDialog:inMode: %1, %2").arg(describe(sender)).arg(mode));
}

} // namespace platform
