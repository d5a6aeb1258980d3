#include "Debug.h"
#include "DebugModuleInfo.h"
#include "VTRDebug.h"
#include "VTRFoundationInfo.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Level = Debug::Level;

// Captures every emitted line through the output function.
class DebugTest : public ::testing::Test {
protected:
    void SetUp() override { Debug::resetForTesting(); }
    void TearDown() override { Debug::resetForTesting(); }

    void capture(Level threshold = Level::INF, Level leaveLevel = Level::VBO, bool enabled = true,
                 Debug::PreconditionFailureFunction precondition = {})
    {
        Debug::doCustomConfigOneTime(threshold, leaveLevel, std::move(precondition),
                                     [this](Level level, const QString& text) { lines.emplace_back(level, text); },
                                     enabled);
    }

    std::vector<std::pair<Level, QString>> lines;
};

TEST_F(DebugTest, LineFormat)
{
    capture();
    Debug::log(Level::ERR, "boom", "/src/deep/Canvas.cpp", "mouseDown(with:)", 120);
    Debug::log(Level::INF, "bare", "", "", 0);
    Debug::log(Level::INF, "no file", "", "draw", 7);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].second, "{Canvas.cpp mouseDown(with:) 120}:ERR boom");
    EXPECT_EQ(lines[0].first, Level::ERR);
    EXPECT_EQ(lines[1].second, "bare");
    EXPECT_EQ(lines[2].second, "{ draw 7}:INF no file");
}

TEST_F(DebugTest, CallSiteIsFilledIn)
{
    capture();
    Debug::w("careful");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].second.startsWith("{DebugTest.cpp ")) << lines[0].second.toStdString();
    EXPECT_TRUE(lines[0].second.endsWith("}:WRN careful"));
}

TEST_F(DebugTest, DefaultThresholdDropsVerboseAndEnterLeave)
{
    capture();
    Debug::v("verbose");
    Debug::showFunctionEnter("first pass");
    Debug::i("info");
    Debug::t("track");
    Debug::w("warn");
    Debug::e("error");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].first, Level::INF);
    EXPECT_EQ(lines[3].first, Level::ERR);
}

TEST_F(DebugTest, ThresholdTable)
{
    const struct {
        Level threshold;
        bool enabled;
        size_t expected; // of VBO..ERR, one line each
    } cases[] = {
        {Level::VBO, true, 5}, {Level::INF, true, 4}, {Level::WRN, true, 2},
        {Level::ERR, true, 1}, {Level::MAX, true, 0}, {Level::VBO, false, 0},
    };
    for (const auto& c : cases) {
        Debug::resetForTesting();
        lines.clear();
        capture(c.threshold, Level::VBO, c.enabled);
        for (int raw = 1; raw <= 5; ++raw)
            Debug::output(static_cast<Level>(raw), "m", "F.cpp", "f", 1);
        Debug::output(Level::MAX, "never", "F.cpp", "f", 1);
        EXPECT_EQ(lines.size(), c.expected) << "threshold " << int(c.threshold) << " enabled " << c.enabled;
    }
}

TEST_F(DebugTest, VerifyAndErrorMessageDefaults)
{
    capture();
    Debug::verify(true, "fine", "F.cpp", "f", 1);
    EXPECT_TRUE(lines.empty());
    Debug::verify(false);
    Debug::errorMessage();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].second.endsWith("}:ERR Verify failed."));
    EXPECT_TRUE(lines[1].second.endsWith("}:ERR *** Error Got ***"));
}

TEST_F(DebugTest, EnterAndLeaveLines)
{
    capture(Level::VBO, Level::VBO);
    Debug::showFunctionEnterOrLeave(true, "first pass", "/a/N.swift", "draw(_:)", 42);
    Debug::showFunctionEnterOrLeave(false, "", "/a/N.swift", "draw(_:)", 43);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].second, "{N.swift draw(_:) 42}:VBO +Enter function: draw(_:), first pass");
    EXPECT_EQ(lines[1].second, "{N.swift draw(_:) 43}:VBO -Leave function: draw(_:)");
}

TEST_F(DebugTest, PreconditionHookRunsOnlyForEmittedErrors)
{
    int calls = 0;
    QString produced;
    unsigned hookLine = 0;
    capture(Level::INF, Level::VBO, true, [&](const Debug::MessageProducer& message, const char*, unsigned line) {
        ++calls;
        produced = message();
        hookLine = line;
    });
    Debug::w("warn only");
    EXPECT_EQ(calls, 0);
    Debug::output(Level::ERR, "bad", "F.cpp", "f", 77);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(produced, "Precondition Failure.");
    EXPECT_EQ(hookLine, 77u);

    Debug::resetForTesting();
    calls = 0;
    capture(Level::MAX, Level::VBO, true, [&](const Debug::MessageProducer&, const char*, unsigned) { ++calls; });
    Debug::e("silent");
    EXPECT_EQ(calls, 0);
}

TEST_F(DebugTest, SecondConfigurationIsIgnoredAndAnnounced)
{
    capture(Level::INF, Level::VBO, false);
    Debug::doCustomConfigOneTime(Level::VBO);
    EXPECT_FALSE(Debug::enableDebugMessage());
    ASSERT_EQ(lines.size(), 3u); // announced even though logging is off
    EXPECT_EQ(lines[0].first, Level::TRK);
    EXPECT_EQ(lines[0].second, "*** PROMPT ***: You have already configured this DebugModule. This calling is ignored...");
    EXPECT_EQ(lines[2].second, "*** PROMPT ***: And NO NEED TO call doCustomConfigOneTime() in embeded frameworks.");
}

TEST_F(DebugTest, ByNameCallersShowFileX)
{
    capture();
    VTRDebug::e("window is nil", "", "-[NPMagnifierWindowController fetchWindow]", 75);
    VTRDebug::verify(false, "Verify failed.", "ignored.mm", "-[A b]", 3);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].second, "{x -[NPMagnifierWindowController fetchWindow] 75}:ERR window is nil");
    EXPECT_EQ(lines[1].second, "{x -[A b] 3}:ERR Verify failed.");
}

TEST_F(DebugTest, LevelsFromRawValues)
{
    EXPECT_FALSE(Debug::levelFromRaw(0).has_value());
    EXPECT_FALSE(Debug::levelFromRaw(7).has_value());
    EXPECT_EQ(Debug::levelFromRaw(5), Level::ERR);
    EXPECT_EQ(Debug::levelName(Level::TRK), "TRK");
}

TEST_F(DebugTest, InformationStrings)
{
    EXPECT_EQ(DebugModuleInfo::debugModuleInfoString(),
              "{DebugModule Info: IsRunInDebugMode=false, ShouldOutputDebugMessage=true, DebugLevel=INF, "
              "DebugLevelOfShowLeaveFunction=VBO, DebugPreconditionFailureFunction=nil, DebugOutputMessageFunction=nil}");
    EXPECT_EQ(VTRFoundationInfo::frameworkInfoString(),
              "{VTRFoundation Info: VTRFoundationFrameworkInternalVersion = 10.2.18, Debug sub-module: "
              "{DebugModule Info: IsRunInDebugMode=false, ShouldOutputDebugMessage=true, DebugLevel=INF, "
              "DebugLevelOfShowLeaveFunction=VBO, DebugPreconditionFailureFunction=nil, DebugOutputMessageFunction=nil}}");

    capture(Level::WRN, Level::TRK);
    EXPECT_EQ(VTRFoundationInfo::frameworkInfoString(),
              "{VTRFoundation Info: VTRFoundationFrameworkInternalVersion = 10.2.18, Debug sub-module: "
              "{DebugModule Info: IsRunInDebugMode=false, ShouldOutputDebugMessage=true, DebugLevel=WRN, "
              "DebugLevelOfShowLeaveFunction=TRK, DebugPreconditionFailureFunction=nil, "
              "DebugOutputMessageFunction=a valid output message function}}");
}

} // namespace
