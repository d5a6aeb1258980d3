#include "DMUpdater.h"

#include "platform/foundation/SystemLog.h"

namespace platform {

DMUpdater& DMUpdater::shared()
{
    static DMUpdater updater;
    return updater;
}

void DMUpdater::setDelegate(DMUpdaterDelegate* delegate)
{
    nsLog(QStringLiteral("DevMateKit stand-in: DMUpdater setDelegate: %1").arg(delegate ? "<delegate>" : "(null)"));
    m_delegate = delegate;
    if (m_delegate)
        checkForUpdates();
}

void DMUpdater::checkForUpdates()
{
    m_testMode = m_delegate && m_delegate->isUpdaterInTestMode(this);
    nsLog(QStringLiteral("DevMateKit stand-in: DMUpdater checkForUpdates (test mode: %1)")
              .arg(m_testMode ? "YES" : "NO"));
}

} // namespace platform
