#pragma once

#include <QString>

namespace platform {

// Stand-in for the outside feedback and issue-reporting framework. Each call
// is logged with its arguments; none does anything else or ever throws.
class DevMateKit {
public:
    static void sendTrackingReport(const void* report, const void* delegate);
    static void setupIssuesController(const void* controller, bool reportingUnhandledIssues);
    static void showFeedbackDialog(const void* sender, int mode);
};

} // namespace platform
