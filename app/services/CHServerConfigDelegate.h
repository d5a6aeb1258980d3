#pragma once

#include <memory>

class CHServerConfigInfo;

// What the remote configuration tells its delegate after a download. Both
// are optional: the defaults do nothing.
class CHServerConfigDelegate {
public:
    virtual ~CHServerConfigDelegate() = default;
    virtual void serverConfigDownloadSuccess(const std::shared_ptr<CHServerConfigInfo>& info) { (void)info; }
    // The argument is always null.
    virtual void serverConfigDownloadFailed(const void* nothing) { (void)nothing; }
};
