#include "ProgressTestSupport.h"
#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"

#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class HTTPRequestProgress : public ::testing::Test {
protected:
    void SetUp() override { clearProxyEnvironment(); }
    void TearDown() override { VNHTTPRequest::setMaxBandwidthPerSecond(0); }

    static void needNginx()
    {
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    }
    static QString nginxURL(const QString& path)
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(LocalServers::shared().nginxPort()).arg(path);
    }
    // A file nginx serves as it is (not compressed).
    static QByteArray serve(const QString& name, qsizetype size)
    {
        QByteArray content(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            content[i] = char((i * 7 + i / 251) & 0xff);
        QFile f(LocalServers::shared().nginxDocumentPath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return content;
    }

    ScriptedHTTPServer server;
};

} // namespace

// 200 KB at 50,000 bytes per second cannot arrive in less than three
// seconds, and every byte is reported once to the receiver and the block.
TEST_F(HTTPRequestProgress, ThrottledDownloadKeepsToTheBudgetAndReportsEveryByte)
{
    needNginx();
    const QByteArray content = serve(QStringLiteral("throttled.bin"), 200 * 1024);
    auto delegate = std::make_shared<RecordingDelegate>();
    auto progress = std::make_shared<ProgressRecorder>();
    auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL(QStringLiteral("/throttled.bin"))));
    r->setDelegate(delegate);
    r->setDownloadProgressDelegate(progress);
    qint64 blockSum = 0, blockTotal = 0, sizeSum = 0;
    r->setBytesReceivedBlock([&](qint64 amount, qint64 total) {
        blockSum += amount;
        blockTotal = total;
    });
    r->setDownloadSizeIncrementedBlock([&](qint64 amount) { sizeSum += amount; });

    VNHTTPRequest::setMaxBandwidthPerSecond(50000);
    EXPECT_TRUE(VNHTTPRequest::isBandwidthThrottled());
    const auto started = std::chrono::steady_clock::now();
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }, 180s));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    drainMainThread();

    EXPECT_EQ(delegate->events().last(), QStringLiteral("finished"));
    EXPECT_EQ(r->responseData(), content);
    EXPECT_GE(elapsed, 3s);
    EXPECT_EQ(progress->received, content.size());
    EXPECT_EQ(progress->downloadSize, content.size());
    EXPECT_EQ(blockSum, content.size());
    EXPECT_EQ(blockTotal, content.size());
    EXPECT_EQ(sizeSum, content.size());
    EXPECT_EQ(progress->maxValues, QList<double> { 1.0 });
    EXPECT_TRUE(progress->allFinite());
    EXPECT_EQ(progress->lastValue(), 1.0);
    EXPECT_TRUE(progress->allOnMainThread);
}

// A body of length 0 has no fraction to speak of: the indicator says 0
// while loading and 1 once complete, never "not a number".
TEST_F(HTTPRequestProgress, EmptyBodyMovesTheIndicatorFromZeroToOne)
{
    needNginx();
    serve(QStringLiteral("empty.bin"), 0);
    auto delegate = std::make_shared<RecordingDelegate>();
    auto progress = std::make_shared<ProgressRecorder>();
    auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL(QStringLiteral("/empty.bin"))));
    r->setDelegate(delegate);
    r->setDownloadProgressDelegate(progress);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    drainMainThread();
    EXPECT_EQ(delegate->events().last(), QStringLiteral("finished"));
    EXPECT_TRUE(progress->allFinite()) << progress->values.size();
    EXPECT_EQ(progress->values.first(), 0.0);
    EXPECT_EQ(progress->lastValue(), 1.0);
}

// Upload: what is reported as sent adds up to the total announced, and the
// indicator ends full.
TEST_F(HTTPRequestProgress, UploadReportsAddUpToTheAnnouncedTotal)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto progress = std::make_shared<ProgressRecorder>();
    auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/echo"))));
    const QByteArray body(600 * 1024, 'u');
    r->appendPostData(body);
    r->setDelegate(delegate);
    r->setUploadProgressDelegate(progress);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    drainMainThread();
    EXPECT_EQ(delegate->events().last(), QStringLiteral("finished"));
    EXPECT_EQ(EchoedRequest::parse(r->responseData()).body, body);
    EXPECT_GT(progress->sent, 0);
    EXPECT_EQ(progress->sent, progress->uploadSize);
    EXPECT_TRUE(progress->allFinite());
    EXPECT_EQ(progress->lastValue(), 1.0);
}

// The bytes sent through the body stream count against the shared budget.
TEST_F(HTTPRequestProgress, ThrottledUploadIsCountedAndSlowed)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/echo"))));
    const QByteArray body(120 * 1024, 'v');
    r->appendPostData(body);
    r->setDelegate(delegate);
    VNHTTPRequest::setMaxBandwidthPerSecond(50000);
    const auto started = std::chrono::steady_clock::now();
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }, 180s));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(delegate->events().last(), QStringLiteral("finished"));
    EXPECT_EQ(EchoedRequest::parse(r->responseData()).body, body);
    // 120 KB going out and the echo of it coming back: well over 4 s of budget.
    EXPECT_GE(elapsed, 3s);
}

// A receiver cleared after a message was computed but before it arrived on
// the main thread is not told; one still in place is.
TEST_F(HTTPRequestProgress, AReceiverClearedBeforeDeliveryHearsNothing)
{
    auto field = std::make_shared<VNProgressReceiverField>();
    auto progress = std::make_shared<ProgressRecorder>();
    field->set(progress);
    std::unique_ptr<QThread> worker(QThread::create([field] { VNHTTPRequest::updateProgressIndicator(field, 1, 2); }));
    worker->start();
    ASSERT_TRUE(worker->wait(60000));
    field->set(nullptr);
    drainMainThread();
    EXPECT_TRUE(progress->values.isEmpty());

    field->set(progress);
    worker.reset(QThread::create([field] { VNHTTPRequest::updateProgressIndicator(field, 1, 2); }));
    worker->start();
    ASSERT_TRUE(worker->wait(60000));
    ASSERT_TRUE(waitUntil([&] { return !progress->values.isEmpty(); }));
    EXPECT_EQ(progress->values, QList<double> { 0.5 });
}

// The body goes out within the budget: no more than one second's allowance
// ahead of the clock (the first second is free), and at most 10 % over it
// for the rest. A slow machine only takes longer, so the bound holds there.
TEST_F(HTTPRequestProgress, ThrottledUploadKeepsToTheBudget)
{
    server.setScript(QStringLiteral("/sink"), [](ScriptedHTTPServer::Exchange& e) {
        return e.send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    });
    const qint64 limit = 50000;
    const QByteArray body(200 * 1024, 'u');
    auto delegate = std::make_shared<RecordingDelegate>();
    auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/sink"))));
    r->appendPostData(body);
    r->setDelegate(delegate);
    VNHTTPRequest::setMaxBandwidthPerSecond(quint64(limit));
    const auto started = std::chrono::steady_clock::now();
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }, 180s));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(delegate->events().last(), QStringLiteral("finished"));
    EXPECT_EQ(r->totalBytesSent(), quint64(body.size()));
    const double budgetSeconds = double(body.size()) / double(limit) - 1.0;
    EXPECT_GE(elapsed, budgetSeconds / 1.1) << "sent " << body.size() << " bytes in " << elapsed << " s";
}
