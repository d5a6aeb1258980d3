#include "RequestTestSupport.h"

#include "ScriptedHTTPServer.h"

#include <gtest/gtest.h>

#include <new>

using namespace std::chrono_literals;

namespace {

class HTTPRequestLifecycle : public ::testing::Test {
protected:
    void SetUp() override { clearProxyEnvironment(); }

    std::shared_ptr<VNHTTPRequest> request(const QString& path, const std::shared_ptr<RecordingDelegate>& delegate)
    {
        auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(path)));
        r->setDelegate(delegate);
        return r;
    }

    ScriptedHTTPServer server;
};

// Throws from inside the main step, the way a fault deep in a step would.
template <typename Thrown>
class ThrowingRequest : public VNHTTPRequest {
public:
    using VNHTTPRequest::VNHTTPRequest;

protected:
    void applyCredentialsBeforeChallenge() override { throw Thrown(); }
};

struct NotAnException { };

} // namespace

TEST_F(HTTPRequestLifecycle, RequestWithoutAddressFailsWithCode5OnTheMainThread)
{
    for (const QUrl& url : { QUrl(), QUrl(QStringLiteral("ftp://127.0.0.1/x")), QUrl(QStringLiteral("http:///nohost")) }) {
        auto delegate = std::make_shared<RecordingDelegate>();
        auto r = VNHTTPRequest::requestWithURL(url);
        r->setDelegate(delegate);
        r->startAsynchronous();
        ASSERT_TRUE(waitUntil([&] { return delegate->ended(); })) << url.toString().toStdString();
        EXPECT_EQ(delegate->events(), QStringList { QStringLiteral("failed 5") });
        EXPECT_TRUE(delegate->allOnMainThread);
        EXPECT_EQ(r->error()->domain, QStringLiteral("VNHTTPRequestErrorDomain"));
        EXPECT_EQ(r->error()->message, QStringLiteral("Unable to create request (bad url?)"));
        EXPECT_TRUE(waitUntil([&] { return r->isFinished(); }));
    }
}

TEST_F(HTTPRequestLifecycle, SilentServerTimesOutAfterTheTimeOut)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto r = request(QStringLiteral("/silent"), delegate);
    r->setTimeOutSeconds(1.0);
    const auto started = std::chrono::steady_clock::now();
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events().last(), QStringLiteral("failed 2"));
    const auto took = delegate->failedAt - started;
    EXPECT_GE(took, 1000ms);
    EXPECT_LE(took, 1500ms);
    EXPECT_EQ(r->error()->message, QStringLiteral("The request timed out"));
}

TEST_F(HTTPRequestLifecycle, RetriesOnTimeOutMakeOneAttemptMoreEach)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto r = request(QStringLiteral("/silent"), delegate);
    r->setTimeOutSeconds(0.5);
    r->setNumberOfTimesToRetryOnTimeout(2);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->count(QStringLiteral("failed")), 1);
    EXPECT_EQ(r->error()->code, VNHTTPRequest::RequestTimedOutErrorType);
    EXPECT_EQ(r->retryCount(), 2);
    EXPECT_EQ(server.acceptedConnections(), 3);
    // Each attempt is announced as a start.
    EXPECT_EQ(delegate->count(QStringLiteral("started")), 3);
}

TEST_F(HTTPRequestLifecycle, CancelWhileTheBodyArrivesFailsOnceWithCode4)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->takeData = true;
    bool cancelled = false;
    delegate->onData = [&](VNHTTPRequest& r) {
        if (!cancelled) {
            cancelled = true;
            r.cancel();
        }
    };
    auto r = request(QStringLiteral("/stall"), delegate);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return r->isFinished() && r->isCancelled(); }));
    drainMainThread();
    EXPECT_EQ(delegate->count(QStringLiteral("failed")), 1);
    EXPECT_EQ(delegate->count(QStringLiteral("failed 4")), 1);
    EXPECT_EQ(delegate->count(QStringLiteral("finished")), 0);
    EXPECT_TRUE(QByteArray(10, 's').startsWith(delegate->received));
    // Cancelling what is over changes nothing.
    r->cancel();
    drainMainThread();
    EXPECT_EQ(delegate->count(QStringLiteral("failed")), 1);
}

TEST_F(HTTPRequestLifecycle, ClearingDelegatesThenCancellingCallsNothingBack)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    int blocksRun = 0;
    auto r = request(QStringLiteral("/silent"), delegate);
    r->setCompletionBlock([&] { ++blocksRun; });
    r->setFailedBlock([&] { ++blocksRun; });
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->count(QStringLiteral("started")) == 1; }));
    r->clearDelegatesAndCancel();
    ASSERT_TRUE(waitUntil([&] { return r->isFinished(); }));
    drainMainThread();
    EXPECT_EQ(delegate->events(), QStringList { QStringLiteral("started") });
    EXPECT_EQ(blocksRun, 0);
    EXPECT_TRUE(r->isCancelled());
    EXPECT_TRUE(r->complete());
    EXPECT_EQ(r->error()->code, VNHTTPRequest::RequestCancelledErrorType);
}

TEST_F(HTTPRequestLifecycle, SynchronousRunOnTheMainThreadCallsBackBeforeItReturns)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    QStringList order;
    auto r = request(QStringLiteral("/hello"), delegate);
    r->setStartedBlock([&] { order << QStringLiteral("started block"); });
    r->setCompletionBlock([&] {
        // The delegate hears first, then the block.
        order << delegate->events().last() + QStringLiteral(" block");
    });
    r->startSynchronous();
    EXPECT_EQ(delegate->events(), (QStringList { QStringLiteral("started"), QStringLiteral("headers"), QStringLiteral("finished") }));
    EXPECT_EQ(order, (QStringList { QStringLiteral("started block"), QStringLiteral("finished block") }));
    EXPECT_TRUE(delegate->allOnMainThread);
    EXPECT_EQ(r->responseString(), QStringLiteral("hello"));
    EXPECT_TRUE(r->isFinished());
    EXPECT_FALSE(r->isExecuting());
}

TEST_F(HTTPRequestLifecycle, AsynchronousCallbacksComeOnTheMainThreadInOrder)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto r = request(QStringLiteral("/hello"), delegate);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events(), (QStringList { QStringLiteral("started"), QStringLiteral("headers"), QStringLiteral("finished") }));
    EXPECT_TRUE(delegate->allOnMainThread);
    EXPECT_EQ(r->responseStatusCode(), 200);
    EXPECT_EQ(r->responseData(), "hello");
}

TEST_F(HTTPRequestLifecycle, ADelegateThatIsGoneIsNotCalled)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto r = request(QStringLiteral("/drip"), delegate);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->count(QStringLiteral("started")) == 1; }));
    std::weak_ptr<RecordingDelegate> gone = delegate;
    delegate.reset();
    ASSERT_TRUE(gone.expired());
    ASSERT_TRUE(waitUntil([&] { return r->isFinished(); }));
    drainMainThread();
    EXPECT_FALSE(r->error());
    EXPECT_EQ(r->responseData(), "0123456789");
}

TEST_F(HTTPRequestLifecycle, AnyExceptionInAStepFailsWithCode10AndTheThreadGoesOn)
{
    const std::vector<std::shared_ptr<VNHTTPRequest>> throwing {
        std::make_shared<ThrowingRequest<std::bad_alloc>>(QUrl(server.url(QStringLiteral("/hello")))),
        std::make_shared<ThrowingRequest<NotAnException>>(QUrl(server.url(QStringLiteral("/hello")))),
    };
    for (const auto& r : throwing) {
        auto delegate = std::make_shared<RecordingDelegate>();
        r->setDelegate(delegate);
        r->startAsynchronous();
        ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
        EXPECT_EQ(delegate->events(), QStringList { QStringLiteral("failed 10") });
    }
    auto delegate = std::make_shared<RecordingDelegate>();
    auto after = request(QStringLiteral("/hello"), delegate);
    after->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events().last(), QStringLiteral("finished"));
}

TEST_F(HTTPRequestLifecycle, ChallengeNamingNoSchemeFailsWithCode7)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto r = request(QStringLiteral("/status?code=401"), delegate);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events().last(), QStringLiteral("failed 7"));
    EXPECT_EQ(r->authenticationNeeded(), 1);
}
