#pragma once

#include <QString>

namespace platform {

class DMUpdater;

class DMUpdaterDelegate {
public:
    virtual ~DMUpdaterDelegate() = default;
    virtual bool isUpdaterInTestMode(DMUpdater* updater) = 0;
};

// Stand-in for the outside updater: it checks nothing on the network. It
// logs every call and, when given a delegate, asks it whether to run in test
// mode and logs the answer.
class DMUpdater {
public:
    static DMUpdater& shared();

    void setDelegate(DMUpdaterDelegate* delegate);
    DMUpdaterDelegate* delegate() const { return m_delegate; }
    void checkForUpdates();
    bool lastReportedTestMode() const { return m_testMode; }

private:
    DMUpdaterDelegate* m_delegate = nullptr; // not owned
    bool m_testMode = false;
};

} // namespace platform
