#pragma once

class ZIDAboutWindowController;

// Asked first when one of the About window's link buttons is pressed. A
// delegate names the methods it answers in respondedMethods(); for the other
// buttons the window opens its own URL.
class ZIDAboutWindowControllerDelegate {
public:
    enum Method : unsigned {
        VisitWebsiteMethod = 1u << 0,
        FeedbackMethod = 1u << 1,
        PrivacyPolicyMethod = 1u << 2,
    };

    virtual ~ZIDAboutWindowControllerDelegate() = default;

    // A combination of Method values.
    virtual unsigned respondedMethods() const = 0;

    virtual void aboutWindowControllerVisitWebsiteButtonDidClick(ZIDAboutWindowController*) {}
    virtual void aboutWindowControllerFeedbackButtonDidClick(ZIDAboutWindowController*) {}
    virtual void aboutWindowControllerPrivacyPolicyButtonDidClick(ZIDAboutWindowController*) {}
};
