// What may run after a caller let go of a request, and on which threads:
// nothing after clearDelegatesAndCancel(), nothing posted to the loop of a
// synchronous caller whose thread has ended, and no exception that ends
// the process, on the network thread or on the main thread.
#include "ProgressTestSupport.h"
#include "RequestTestSupport.h"

#include "ScriptedHTTPServer.h"

#include "platform/network/HTTPReadStream.h"
#include "platform/network/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <thread>

using namespace std::chrono_literals;

namespace {

class CallbackSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearProxyEnvironment();
        // A long body in small pieces, so progress keeps coming.
        server.setScript(QStringLiteral("/long"), [](ScriptedHTTPServer::Exchange& e) {
            const int pieces = 4000;
            if (!e.send("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(pieces * 1024) + "\r\n\r\n"))
                return false;
            for (int i = 0; i < pieces; ++i) {
                if (!e.send(QByteArray(1024, 'l')))
                    return false;
                if (i % 16 == 0)
                    std::this_thread::sleep_for(2ms);
            }
            return true;
        });
    }

    ScriptedHTTPServer server;
};

// Throws once the body starts to arrive, on the network thread.
class FailingProgressRequest : public VNHTTPRequest {
public:
    using VNHTTPRequest::VNHTTPRequest;

protected:
    void updateProgressIndicators() override
    {
        if (totalBytesRead() > 0)
            throw std::bad_alloc();
        VNHTTPRequest::updateProgressIndicators();
    }
};

} // namespace

TEST_F(CallbackSafety, NothingRunsAfterClearDelegatesAndCancel)
{
    auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/long"))));
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->takeData = true;
    auto upload = std::make_shared<ProgressRecorder>();
    auto download = std::make_shared<ProgressRecorder>();
    r->setDelegate(delegate);
    r->setUploadProgressDelegate(upload);
    r->setDownloadProgressDelegate(download);

    // Every callback counts; those after the call count apart.
    bool cleared = false;
    int before = 0, after = 0;
    const auto note = [&] { ++(cleared ? after : before); };
    r->setStartedBlock(note);
    r->setHeadersReceivedBlock([&](const platform::HTTPHeaderFields&) { note(); });
    r->setCompletionBlock(note);
    r->setFailedBlock(note);
    r->setRequestRedirectedBlock(note);
    r->setAuthenticationNeededBlock(note);
    r->setProxyAuthenticationNeededBlock(note);
    r->setBytesReceivedBlock([&](qint64, qint64) { note(); });
    r->setBytesSentBlock([&](qint64, qint64) { note(); });
    r->setDownloadSizeIncrementedBlock([&](qint64) { note(); });
    r->setUploadSizeIncrementedBlock([&](qint64) { note(); });
    r->setDataReceivedBlock([&](const QByteArray&) {
        note();
        if (!cleared && before >= 20) {
            r->clearDelegatesAndCancel();
            cleared = true;
        }
    });
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return cleared; }));
    const QStringList delegateEvents = delegate->events();
    const QByteArray delegateData = delegate->received;
    const auto downloadValues = download->values;
    const qint64 downloadReceived = download->received;
    ASSERT_TRUE(waitUntil([&] { return r->isFinished(); }));
    // Whatever was queued for the main thread before the call runs now.
    for (int i = 0; i < 10; ++i)
        drainMainThread();

    EXPECT_EQ(after, 0);
    EXPECT_EQ(delegate->events(), delegateEvents);
    EXPECT_EQ(delegate->received, delegateData);
    EXPECT_EQ(download->values, downloadValues);
    EXPECT_EQ(download->received, downloadReceived);
    EXPECT_TRUE(r->isCancelled());
    ASSERT_TRUE(r->error());
    EXPECT_EQ(r->error()->code, VNHTTPRequest::RequestCancelledErrorType);
}

TEST_F(CallbackSafety, CallsAfterASynchronousCallersThreadEndedGoNowhere)
{
    std::shared_ptr<VNHTTPRequest> r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hello"))));
    std::thread([&] { r->startSynchronous(); }).join();
    ASSERT_FALSE(r->error());
    ASSERT_EQ(r->responseData(), QByteArray("hello"));

    // Each would post to the ended thread's loop.
    r->cancel();
    r->redirectToURL(QUrl(server.url(QStringLiteral("/hello"))));
    r->retryUsingSuppliedCredentials();
    r->cancelAuthentication();
    // A loop made now (on a new thread) is not the old one.
    std::thread([] {
        platform::RunLoop::current().runMode(QStringLiteral("Elsewhere"), 50ms, false);
    }).join();
    drainMainThread();
    EXPECT_FALSE(r->error());
    EXPECT_FALSE(r->isCancelled());
    EXPECT_EQ(r->responseData(), QByteArray("hello"));
}

TEST_F(CallbackSafety, AnExceptionFailsItsRequestAndNothingElse)
{
    // On the network thread, while the body arrives.
    auto failing = std::make_shared<FailingProgressRequest>(QUrl(server.url(QStringLiteral("/long"))));
    auto delegate = std::make_shared<RecordingDelegate>();
    failing->setDelegate(delegate);
    failing->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events().last(), QStringLiteral("failed 10"));

    // On the main thread, from the caller's own completion and failure.
    for (const QString path : { QStringLiteral("/hello"), QStringLiteral("/nowhere-port") }) {
        const QString url = path == QStringLiteral("/hello") ? server.url(path) : QStringLiteral("http://127.0.0.1:1/");
        auto r = VNHTTPRequest::requestWithURL(QUrl(url));
        std::atomic<bool> ran { false };
        r->setCompletionBlock([&] {
            ran = true;
            throw std::bad_alloc();
        });
        r->setFailedBlock([&] {
            ran = true;
            throw std::bad_alloc();
        });
        r->startAsynchronous();
        ASSERT_TRUE(waitUntil([&] { return ran.load(); })) << url.toStdString();
        drainMainThread();
    }

    // And the stream itself, when its body source throws.
    auto stream = platform::HTTPReadStream::create(
        platform::HTTPMessage::request(QStringLiteral("POST"), QUrl(server.url(QStringLiteral("/echo")))),
        [](char*, qint64) -> qint64 { throw std::bad_alloc(); });
    bool failed = false;
    stream->setClient(platform::HTTPReadStream::ErrorOccurred | platform::HTTPReadStream::EndEncountered,
        [&](platform::HTTPReadStream&, platform::HTTPReadStream::Event event) {
            failed = failed || event == platform::HTTPReadStream::ErrorOccurred;
        });
    const QString mode = QStringLiteral("CallbackSafetyMode");
    auto& loop = platform::RunLoop::current();
    stream->schedule(loop, mode);
    ASSERT_TRUE(stream->open());
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (!failed && std::chrono::steady_clock::now() < until)
        loop.runMode(mode, 100ms, true);
    EXPECT_TRUE(failed);
    stream->unschedule(loop, mode);
    stream->close();

    // The network thread still serves requests.
    auto after = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hello"))));
    auto afterDelegate = std::make_shared<RecordingDelegate>();
    after->setDelegate(afterDelegate);
    after->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return afterDelegate->ended(); }));
    EXPECT_EQ(afterDelegate->events().last(), QStringLiteral("finished"));
}
