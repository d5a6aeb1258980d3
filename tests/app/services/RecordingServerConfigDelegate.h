#pragma once

#include "CHServerConfigDelegate.h"
#include "CHServerConfigInfo.h"

#include <memory>

// Counts what the remote configuration tells its delegate.
class RecordingServerConfigDelegate : public CHServerConfigDelegate {
public:
    void serverConfigDownloadSuccess(const std::shared_ptr<CHServerConfigInfo>& info) override
    {
        ++successes;
        last = info;
    }
    void serverConfigDownloadFailed(const void* nothing) override
    {
        ++failures;
        failedWithNull = nothing == nullptr;
    }
    int successes = 0;
    int failures = 0;
    bool failedWithNull = false;
    std::shared_ptr<CHServerConfigInfo> last;
};
