#include "DebuggingInfoWindow.h"
#include "VTRUITestSupport.h"

#include "platform/foundation/ModifierFlags.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::ModifierFlags;

TEST(DebuggingInfoWindow, TriggeredByShiftAndControlWhateverElseIsHeld)
{
    const struct {
        uint32_t flags;
        bool triggered;
    } cases[] = {
        {Shift | Control, true},
        {Shift | Control | Option, true},
        {Shift | Control | Option | Command, true},
        {Shift, false},
        {Control, false},
        {Shift | Command, false}, // Ctrl on this keyboard is the command key
        {Shift | Option, false},
        {0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DebuggingInfoWindow::isTriggered(c.flags), c.triggered) << std::hex << c.flags;
}

TEST(DebuggingInfoWindow, ShowsTheTextUnderItsMessage)
{
    AlertRecorder recorder;
    DebuggingInfoWindow::showDebuggingInfoWindow(QStringLiteral("{VTRUI Info: x}\n\nUpload Tag:{}"));
    DebuggingInfoWindow::showDebuggingInfoWindow(QString());
    ASSERT_EQ(recorder.count(), 2);
    EXPECT_EQ(recorder.alerts().at(0).messageText, "Debugging Information.");
    EXPECT_EQ(recorder.alerts().at(0).informativeText, "{VTRUI Info: x}\n\nUpload Tag:{}");
    EXPECT_EQ(recorder.alerts().at(1).messageText, "Debugging Information.");
    EXPECT_TRUE(recorder.alerts().at(1).informativeText.isEmpty());
}

} // namespace
