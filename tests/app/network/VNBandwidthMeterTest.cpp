// The shared bandwidth budget on a clock the tests move: the wake-up time,
// the sample window, read sizes, pausing streams, and whole transfers that
// must take as long as the budget says.
#include "VNBandwidthMeter.h"
#include "VNInputStream.h"
#include "VNProgressArithmetic.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QIODevice>

#include <gtest/gtest.h>

#include <memory>
#include <numeric>

namespace {

struct VNBandwidthMeterTest : ::testing::Test {
    double now = 100.0;
    VNBandwidthMeter meter {[this] { return now; }};
};

// A device that answers the lengths it is asked for, or fails.
class RecordingDevice : public QIODevice {
public:
    explicit RecordingDevice(bool failing = false)
        : failing_(failing)
    {
    }
    std::vector<qint64> asked;

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        asked.push_back(maxSize);
        if (failing_)
            return -1;
        std::fill(data, data + maxSize, 'x');
        return maxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    bool failing_;
};

} // namespace

TEST_F(VNBandwidthMeterTest, OverUseMovesTheWakeUpTimeBeyondTheSecond)
{
    meter.setMaxBandwidthPerSecond(1000);
    meter.measureBandwidthUsage(); // opens the second ending at 101
    ASSERT_EQ(meter.measurementDate(), 101.0);
    now = 100.4;
    meter.incrementBandwidthUsedInLastSecond(1500);
    meter.measureBandwidthUsage();
    EXPECT_EQ(meter.wakeUpTime(), 101.5);

    // Within the budget nothing waits.
    VNBandwidthMeter fresh([this] { return now; });
    fresh.setMaxBandwidthPerSecond(1000);
    fresh.measureBandwidthUsage();
    fresh.incrementBandwidthUsedInLastSecond(1000);
    fresh.measureBandwidthUsage();
    EXPECT_FALSE(fresh.wakeUpTime().has_value());
}

TEST_F(VNBandwidthMeterTest, SampleWindowAveragesUpToSixSecondsAndForgetsQuietOnes)
{
    meter.measureBandwidthUsage();
    for (quint64 bytes : {100, 200, 300}) {
        meter.incrementBandwidthUsedInLastSecond(bytes);
        now += 1.0;
        meter.measureBandwidthUsage();
    }
    EXPECT_EQ(meter.samples(), (std::vector<quint64> {0, 100, 200, 300}));
    EXPECT_EQ(meter.averageBandwidthUsedPerSecond(), 150u);

    // Measured a little late each time, a steady flow still fills the window.
    for (int second = 0; second < 10; ++second) {
        meter.incrementBandwidthUsedInLastSecond(600);
        now += 1.0 + (second == 0 ? 0.3 : 0.0);
        meter.measureBandwidthUsage();
    }
    EXPECT_EQ(meter.samples(), std::vector<quint64>(VNBandwidthMeter::maximumSamples, 600));
    EXPECT_EQ(meter.averageBandwidthUsedPerSecond(), 600u);

    // Three whole seconds missed push three old samples out.
    meter.incrementBandwidthUsedInLastSecond(1200);
    now += 4.0;
    meter.measureBandwidthUsage();
    EXPECT_EQ(meter.samples(), (std::vector<quint64> {600, 600, 600, 1200}));
    EXPECT_EQ(meter.averageBandwidthUsedPerSecond(), 750u);

    // A second without traffic empties the window before its zero.
    now += 1.0;
    meter.measureBandwidthUsage();
    EXPECT_EQ(meter.samples(), std::vector<quint64> {0});
    EXPECT_EQ(meter.averageBandwidthUsedPerSecond(), 0u);
}

TEST_F(VNBandwidthMeterTest, ReadAndUploadLengthsShrinkWithTheAllowanceLeft)
{
    struct Case {
        quint64 maximum;
        quint64 used;
        qint64 expectedRead;   // of a usual read of 16384
        quint64 expectedUpload;
    };
    const Case cases[] = {
        {0, 5000, 16384, 0},              // off
        {1000, 0, 250, 250},              // a quarter of the budget
        {1000, 900, 25, 100},             // what is left
        {1000, 999, 1, 1},                // never less than a byte to read
        {1000, 1000, 1, 0},
        {1000, 1500, 1, 0},               // over: signed, not a huge number
        {10'000'000, 0, 16384, 2'500'000}, // plenty: the usual size
    };
    for (const Case& c : cases) {
        VNBandwidthMeter m([this] { return now; });
        m.setMaxBandwidthPerSecond(c.maximum);
        m.measureBandwidthUsage();
        m.incrementBandwidthUsedInLastSecond(c.used);
        EXPECT_EQ(m.readLength(16384), c.expectedRead) << c.maximum << " / " << c.used;
        EXPECT_EQ(m.maxUploadReadLength(), c.expectedUpload) << c.maximum << " / " << c.used;
    }

    // An exhausted allowance pauses body streams until the second ends.
    meter.setMaxBandwidthPerSecond(1000);
    meter.measureBandwidthUsage();
    meter.incrementBandwidthUsedInLastSecond(1000);
    EXPECT_EQ(meter.maxUploadReadLength(), 0u);
    EXPECT_EQ(meter.wakeUpTime(), meter.measurementDate());
}

TEST_F(VNBandwidthMeterTest, StreamsPauseUntilTheWakeUpTimeAndResumeWhenThrottlingStops)
{
    using A = VNBandwidthMeter::StreamAction;
    EXPECT_EQ(meter.throttleStream(true), A::Keep);
    EXPECT_EQ(meter.throttleStream(false), A::Schedule);

    meter.setMaxBandwidthPerSecond(1000);
    meter.measureBandwidthUsage();
    meter.incrementBandwidthUsedInLastSecond(2000); // wake-up at 102
    EXPECT_EQ(meter.throttleStream(true), A::Unschedule);
    EXPECT_EQ(meter.throttleStream(false), A::Keep);
    now = 101.5;
    EXPECT_EQ(meter.throttleStream(false), A::Keep);
    now = 102.0;
    EXPECT_EQ(meter.throttleStream(false), A::Schedule);
    EXPECT_EQ(meter.throttleStream(true), A::Keep);

    meter.incrementBandwidthUsedInLastSecond(5000);
    EXPECT_EQ(meter.throttleStream(true), A::Unschedule);
    meter.setMaxBandwidthPerSecond(0);
    EXPECT_EQ(meter.throttleStream(false), A::Schedule);
}

// A 200 KB response read at 50,000 bytes a second, the way a request reads
// it: reads sized by the meter, the stream paused as the meter says.
TEST_F(VNBandwidthMeterTest, ThrottledDownloadTakesAsLongAsTheBudgetSays)
{
    meter.setMaxBandwidthPerSecond(50'000);
    const double start = now;
    qint64 remaining = 200'000;
    qint64 received = 0;
    bool scheduled = true;
    // What the status timer reports as it goes, summed as a queue would.
    VNProgressArithmetic::DownloadCounters progress;
    progress.contentLength = 200'000;
    qint64 reported = 0;
    for (int tick = 0; remaining > 0 && tick < 100'000; ++tick) {
        const auto action = meter.throttleStream(scheduled);
        if (action != VNBandwidthMeter::StreamAction::Keep)
            scheduled = action == VNBandwidthMeter::StreamAction::Schedule;
        if (scheduled) {
            const qint64 n = std::min(remaining, meter.readLength(65536));
            remaining -= n;
            received += n;
            meter.incrementBandwidthUsedInLastSecond(quint64(n));
            progress.totalBytesRead = received;
        }
        if (tick % 25 == 0 || remaining == 0) {
            if (const auto step = VNProgressArithmetic::downloadStep(progress, true, remaining == 0))
                reported += step->amount;
        }
        now += 0.01;
    }
    EXPECT_EQ(received, 200'000);
    EXPECT_EQ(reported, 200'000);
    EXPECT_GE(now - start, 3.0);
    EXPECT_LE(now - start, 5.0);
}

// The same for a body sent through the throttled stream, whose reads are
// cut to the allowance and which pauses its request when it runs out.
TEST_F(VNBandwidthMeterTest, ThrottledUploadTakesAsLongAsTheBudgetSays)
{
    meter.setMaxBandwidthPerSecond(50'000);
    const QByteArray body(200'000, 'b');
    bool scheduled = true;
    int throttleCalls = 0;
    auto stream = VNInputStream::inputStreamWithData(body, meter, [&] {
        ++throttleCalls;
        const auto action = meter.throttleStream(scheduled);
        if (action != VNBandwidthMeter::StreamAction::Keep)
            scheduled = action == VNBandwidthMeter::StreamAction::Schedule;
    });
    ASSERT_TRUE(stream->open());
    const double start = now;
    QByteArray sent;
    char buffer[32768];
    for (int tick = 0; sent.size() < body.size() && tick < 100'000; ++tick) {
        if (scheduled) {
            const qint64 n = stream->read(buffer, sizeof buffer);
            ASSERT_GE(n, 0);
            sent.append(buffer, n);
        } else {
            const auto action = meter.throttleStream(scheduled); // the status timer's turn
            if (action != VNBandwidthMeter::StreamAction::Keep)
                scheduled = action == VNBandwidthMeter::StreamAction::Schedule;
        }
        now += 0.01;
    }
    EXPECT_EQ(sent, body);
    EXPECT_GT(throttleCalls, 0);
    EXPECT_GE(now - start, 3.0);
    EXPECT_LE(now - start, 5.0);
}

TEST_F(VNBandwidthMeterTest, BodyStreamAsksForTheAllowedLengthAndCountsOnlyWhatItRead)
{
    char buffer[4096];
    {
        auto device = std::make_unique<RecordingDevice>();
        RecordingDevice* seen = device.get();
        VNInputStream stream(std::move(device), meter, [] { FAIL() << "throttled without a limit"; });
        ASSERT_TRUE(stream.open());
        EXPECT_EQ(stream.read(buffer, 4096), 4096);
        EXPECT_EQ(seen->asked, std::vector<qint64> {4096});
        EXPECT_EQ(meter.bandwidthUsedInLastSecond(), 4096u);
    }

    meter.setMaxBandwidthPerSecond(1000);
    meter.measureBandwidthUsage();
    meter.incrementBandwidthUsedInLastSecond(1000);
    ASSERT_EQ(meter.bandwidthUsedInLastSecond(), 1000u);
    {
        auto device = std::make_unique<RecordingDevice>();
        RecordingDevice* seen = device.get();
        int throttled = 0;
        VNInputStream stream(std::move(device), meter, [&] { ++throttled; });
        ASSERT_TRUE(stream.open());
        EXPECT_EQ(stream.read(buffer, 4096), 1); // allowance 0: one byte
        EXPECT_EQ(seen->asked, std::vector<qint64> {1});
        EXPECT_EQ(throttled, 1);
        EXPECT_EQ(meter.bandwidthUsedInLastSecond(), 1001u);
    }
    {
        auto device = std::make_unique<RecordingDevice>(true);
        VNInputStream stream(std::move(device), meter, [] {});
        ASSERT_TRUE(stream.open());
        EXPECT_LT(stream.read(buffer, 4096), 0);
        EXPECT_EQ(meter.bandwidthUsedInLastSecond(), 1001u);
    }
}

TEST(VNInputStream, ReadsAFileToItsEnd)
{
    VNBandwidthMeter meter([] { return 0.0; });
    auto missing = VNInputStream::inputStreamWithFileAtPath(QStringLiteral("/nonexistent/body"), meter, {});
    EXPECT_FALSE(missing->open());
    EXPECT_FALSE(missing->streamError().isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("body.bin"));
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        for (int i = 0; i < 3000; ++i)
            out.write(QByteArray::number(i) + ' ');
    }
    auto stream = VNInputStream::inputStreamWithFileAtPath(path, meter, {});
    ASSERT_TRUE(stream->open());
    QByteArray all;
    char buffer[1000];
    for (int i = 0; i < 10'000; ++i) {
        const qint64 n = stream->read(buffer, sizeof buffer);
        ASSERT_GE(n, 0);
        if (n == 0)
            break;
        all.append(buffer, n);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(all, file.readAll());
    EXPECT_EQ(meter.bandwidthUsedInLastSecond(), quint64(all.size()));
}

// Bytes moved with no limit, in the same second a limit is then set, are
// not paid back under the new limit (they were never meant to be limited).
TEST_F(VNBandwidthMeterTest, ANewLimitDoesNotChargeWhatMovedBeforeIt)
{
    meter.measureBandwidthUsage();
    meter.incrementBandwidthUsedInLastSecond(600'000);
    now = 100.2;
    meter.setMaxBandwidthPerSecond(50'000);
    meter.measureBandwidthUsage();
    EXPECT_FALSE(meter.wakeUpTime().has_value());
    EXPECT_EQ(meter.bandwidthUsedInLastSecond(), 0u);
    EXPECT_EQ(meter.readLength(16384), 12'500);
}
