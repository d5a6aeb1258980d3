// Progress figures: always a number between 0 and 1, steps that can go
// backwards without turning into huge unsigned values, and the upload
// buffer taken out of the total.
#include "VNProgressArithmetic.h"

#include <gtest/gtest.h>

#include <cmath>

using Step = VNProgressArithmetic::Step;

TEST(VNProgressArithmetic, FractionIsAlwaysANumberInRange)
{
    struct Case {
        qint64 done, total;
        bool complete;
        double expected;
    };
    const Case cases[] = {
        {0, 0, false, 0.0}, {0, 0, true, 1.0},   {7, 0, true, 1.0},     {50, 100, false, 0.5},
        {150, 100, true, 1.0}, {-5, 100, false, 0.0}, {10, -20, false, 0.0}, {10, -20, true, 1.0},
    };
    for (const Case& c : cases) {
        const double value = VNProgressArithmetic::fraction(c.done, c.total, c.complete);
        EXPECT_TRUE(std::isfinite(value));
        EXPECT_DOUBLE_EQ(value, c.expected) << c.done << " of " << c.total << (c.complete ? " complete" : "");
    }
}

TEST(VNProgressArithmetic, UpdatesRunAlwaysWithAccurateProgressElseOnceAtTheEnd)
{
    EXPECT_TRUE(VNProgressArithmetic::shouldUpdate(true, false, false));
    EXPECT_FALSE(VNProgressArithmetic::shouldUpdate(false, false, false));
    EXPECT_TRUE(VNProgressArithmetic::shouldUpdate(false, true, false));
    EXPECT_FALSE(VNProgressArithmetic::shouldUpdate(false, true, true));
}

TEST(VNProgressArithmetic, UploadTakesTheStreamBufferOutOfTheTotal)
{
    VNProgressArithmetic::UploadCounters c;
    c.postLength = 100'000;
    EXPECT_FALSE(VNProgressArithmetic::uploadStep(c, true, false)); // nothing sent yet

    // The first count is what the stream buffered: the total shrinks by it,
    // and nothing is reported until a second count comes.
    c.totalBytesSent = 32'768;
    auto step = VNProgressArithmetic::uploadStep(c, true, false);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->sizeIncrement, -32'768);
    EXPECT_FALSE(step->report);
    EXPECT_EQ(c.uploadBufferSize, 32'768);

    c.lastBytesSent = 32'768;
    c.totalBytesSent = 65'536;
    step = VNProgressArithmetic::uploadStep(c, true, false);
    ASSERT_TRUE(step && step->report);
    EXPECT_EQ(step->sizeIncrement, 0);
    EXPECT_EQ(step->amount, 32'768);
    EXPECT_DOUBLE_EQ(step->fraction, 32'768.0 / 67'232.0);
    EXPECT_EQ(step->blockTotal, 100'000);

    EXPECT_EQ(c.lastBytesSent, 65'536);
    EXPECT_FALSE(VNProgressArithmetic::uploadStep(c, true, false)); // no change
}

// Progress is also updated as the response is read, between two counts of
// the stream: those updates must not report the last count's bytes again,
// or a 600 KB upload adds up to several times its length.
TEST(VNProgressArithmetic, AnUpdateWithoutANewCountReportsNothing)
{
    VNProgressArithmetic::UploadCounters c;
    c.postLength = 600 * 1024;
    c.uploadBufferSize = 1024;
    c.lastBytesSent = 1024;
    c.totalBytesSent = 600 * 1024;
    auto step = VNProgressArithmetic::uploadStep(c, true, true);
    ASSERT_TRUE(step && step->report);
    EXPECT_EQ(step->amount, 599 * 1024);
    for (int readOfTheResponse = 0; readOfTheResponse < 3; ++readOfTheResponse)
        EXPECT_FALSE(VNProgressArithmetic::uploadStep(c, true, true));
}

TEST(VNProgressArithmetic, UploadEdgeCasesStayFiniteAndSigned)
{
    // All of a small body went out at once: no buffer, one full step.
    VNProgressArithmetic::UploadCounters whole;
    whole.postLength = whole.totalBytesSent = 1000;
    auto step = VNProgressArithmetic::uploadStep(whole, true, true);
    ASSERT_TRUE(step && step->report);
    EXPECT_EQ(step->amount, 1000);
    EXPECT_DOUBLE_EQ(step->fraction, 1.0);

    // More counted than the body (the buffer swallowed it all): the
    // remaining total is not positive, and the value is still a number.
    VNProgressArithmetic::UploadCounters over;
    over.postLength = 1000;
    over.totalBytesSent = 1200;
    over.lastBytesSent = 1000;
    step = VNProgressArithmetic::uploadStep(over, true, false);
    ASSERT_TRUE(step && step->report);
    EXPECT_TRUE(std::isfinite(step->fraction));
    EXPECT_DOUBLE_EQ(step->fraction, 0.0);

    // A restart counts from zero again: the step goes back, signed.
    VNProgressArithmetic::UploadCounters restarted;
    restarted.postLength = 10'000;
    restarted.uploadBufferSize = 500;
    restarted.lastBytesSent = 5000;
    restarted.totalBytesSent = 1000;
    step = VNProgressArithmetic::uploadStep(restarted, true, false);
    ASSERT_TRUE(step && step->report);
    EXPECT_EQ(step->amount, -4000);

    // Without accurate progress: one step of 1, once.
    VNProgressArithmetic::UploadCounters rough;
    rough.postLength = rough.totalBytesSent = 10;
    step = VNProgressArithmetic::uploadStep(rough, false, true);
    ASSERT_TRUE(step && step->report);
    EXPECT_EQ(step->amount, 1);
    EXPECT_TRUE(rough.updatedProgress);
}

TEST(VNProgressArithmetic, DownloadReportsBytesSoFarIncludingAResumedPart)
{
    VNProgressArithmetic::DownloadCounters c;
    EXPECT_FALSE(VNProgressArithmetic::downloadStep(c, true, false)); // length unknown

    c.contentLength = 1000;
    c.partialDownloadSize = 500;
    c.totalBytesRead = 250;
    auto step = VNProgressArithmetic::downloadStep(c, true, false);
    ASSERT_TRUE(step && step->report);
    EXPECT_EQ(step->amount, 750);
    EXPECT_DOUBLE_EQ(step->fraction, 0.5);
    EXPECT_EQ(step->blockTotal, 1500);
    EXPECT_EQ(c.lastBytesRead, 750);
    EXPECT_FALSE(VNProgressArithmetic::downloadStep(c, true, false)); // nothing new

    // The server ignored the range: the resumed part is taken back and the
    // step is negative, not 2^64 minus something.
    c.partialDownloadSize = 0;
    c.totalBytesRead = 100;
    step = VNProgressArithmetic::downloadStep(c, true, false);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->amount, -650);
    EXPECT_DOUBLE_EQ(step->fraction, 0.1);
}

TEST(VNProgressArithmetic, DownloadWithoutLengthReportsOneStepAtCompletion)
{
    VNProgressArithmetic::DownloadCounters c;
    c.totalBytesRead = 4096;
    EXPECT_FALSE(VNProgressArithmetic::downloadStep(c, false, false));
    const auto step = VNProgressArithmetic::downloadStep(c, false, true);
    ASSERT_TRUE(step && step->report);
    EXPECT_EQ(step->amount, 1);
    EXPECT_DOUBLE_EQ(step->fraction, 1.0); // a total of 0, complete
    EXPECT_TRUE(c.updatedProgress);
}
