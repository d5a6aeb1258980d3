#include "ProgressTestSupport.h"
#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "VNNetworkQueue.h"
#include "VNNetworkQueueException.h"

#include <QFile>

#include <algorithm>
#include <future>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class NetworkQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearProxyEnvironment();
        queue->setRequestDidFinishSelector([this](VNHTTPRequest& r) { note(r, QStringLiteral("finished")); });
        queue->setRequestDidFailSelector([this](VNHTTPRequest& r) { note(r, QStringLiteral("failed %1").arg(r.error() ? r.error()->code : 0)); });
        queue->setRequestDidStartSelector([this](VNHTTPRequest& r) { note(r, QStringLiteral("started")); });
        queue->setQueueDidFinishSelector([this](VNNetworkQueue&) { ++queueFinished; });
    }
    void TearDown() override
    {
        // Lets held answers go before the server and the queue end.
        server.releaseHeld();
        if (queue)
            queue->waitUntilAllOperationsAreFinished(60s);
        drainMainThread();
    }

    std::shared_ptr<VNHTTPRequest> request(const QString& path, qint64 tag)
    {
        auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(path)));
        r->setTag(tag);
        return r;
    }
    void note(VNHTTPRequest& r, const QString& what) { events.append(QStringLiteral("%1 %2").arg(r.tag()).arg(what)); }
    int count(const QString& suffix) const { return int(events.filter(QRegularExpression(QStringLiteral(" %1$").arg(suffix))).size()); }

    ScriptedHTTPServer server;
    std::unique_ptr<VNNetworkQueue> queue = VNNetworkQueue::queue();
    QStringList events;
    int queueFinished = 0;
};

} // namespace

TEST_F(NetworkQueue, NothingStartsBeforeGo)
{
    for (int i = 0; i < 3; ++i)
        queue->addOperation(request(QStringLiteral("/hello"), i));
    EXPECT_TRUE(queue->isSuspended());
    EXPECT_EQ(queue->requestsCount(), 3);
    // Nothing can be waited for here but time: a started request would
    // have connected long before.
    waitUntil([&] { return server.acceptedConnections() > 0 || !events.isEmpty(); }, 500ms);
    EXPECT_EQ(server.acceptedConnections(), 0);
    EXPECT_TRUE(events.isEmpty());

    queue->go();
    ASSERT_TRUE(waitUntil([&] { return queueFinished == 1; }));
    EXPECT_EQ(count(QStringLiteral("finished")), 3);
    EXPECT_EQ(count(QStringLiteral("started")), 3);
    EXPECT_EQ(queue->requestsCount(), 0);
}

// Eight requests to answers that wait for the test: four run, the others
// wait their turn; once released, all eight finish.
TEST_F(NetworkQueue, RunsAtMostFourRequestsAtOnce)
{
    for (int i = 0; i < 8; ++i)
        queue->addOperation(request(QStringLiteral("/hold"), i));
    queue->go();
    ASSERT_TRUE(waitUntil([&] { return server.heldRequests() == 4; }));
    // The others really wait (no fifth arrives while the four are held).
    waitUntil([&] { return server.heldRequests() > 4; }, 500ms);
    EXPECT_EQ(server.heldRequests(), 4);
    EXPECT_EQ(count(QStringLiteral("started")), 4);
    EXPECT_EQ(queue->runningOperationCount(), 4);

    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return queueFinished == 1; }));
    EXPECT_EQ(count(QStringLiteral("finished")), 8);
    EXPECT_EQ(server.mostHeldAtOnce(), 4);
}

// One failure cancels the rest: each of them fails with 4; the failure
// itself does not end the queue.
TEST_F(NetworkQueue, OneFailureCancelsTheOthers)
{
    for (int i = 0; i < 3; ++i)
        queue->addOperation(request(QStringLiteral("/hold"), i));
    queue->go();
    ASSERT_TRUE(waitUntil([&] { return server.heldRequests() == 3; }));

    // Nothing listens on this port: the connection is refused.
    auto refused = VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(LocalServers::freePort())));
    refused->setTag(9);
    queue->addOperation(refused);
    ASSERT_TRUE(waitUntil([&] { return queue->requestsCount() == 0; }));
    drainMainThread();
    ASSERT_FALSE(events.filter(QRegularExpression(QStringLiteral("^9 failed"))).isEmpty());
    EXPECT_NE(events.filter(QRegularExpression(QStringLiteral("^9 failed"))).first(), QStringLiteral("9 failed 4"));
    EXPECT_EQ(count(QStringLiteral("failed 4")), 3);
    EXPECT_EQ(count(QStringLiteral("finished")), 0);
    EXPECT_EQ(queueFinished, 1);
    EXPECT_EQ(queue->totalBytesToDownload(), 0);
}

// With accurate progress, GETs added before go learn their sizes from HEAD
// requests first; the queue's sums then cover every byte of both files.
TEST_F(NetworkQueue, AccurateProgressSumsTheSizesLearnedFromHeadRequests)
{
    const QString nginx = LocalServers::shared().startNginx();
    ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    const qint64 sizes[] = { 70000, 130000 };
    for (int i = 0; i < 2; ++i) {
        QFile f(LocalServers::shared().nginxDocumentPath(QStringLiteral("queued%1.bin").arg(i)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(sizes[i], char('a' + i)));
    }
    auto progress = std::make_shared<ProgressRecorder>();
    queue->setShowAccurateProgress(true);
    queue->setDownloadProgressDelegate(progress);
    for (int i = 0; i < 2; ++i)
        queue->addOperation(VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://127.0.0.1:%1/queued%2.bin")
                                                                  .arg(LocalServers::shared().nginxPort()).arg(i))));
    queue->go();
    ASSERT_TRUE(waitUntil([&] { return queueFinished == 1; }));
    drainMainThread();
    EXPECT_EQ(queue->totalBytesToDownload(), sizes[0] + sizes[1]);
    EXPECT_EQ(queue->bytesDownloadedSoFar(), sizes[0] + sizes[1]);
    EXPECT_TRUE(progress->allFinite());
    EXPECT_EQ(progress->lastValue(), 1.0);
    EXPECT_EQ(progress->maxValues.first(), 1.0);
}

TEST_F(NetworkQueue, WithoutAccurateProgressEachRequestCountsOne)
{
    for (int i = 0; i < 3; ++i)
        queue->addOperation(request(QStringLiteral("/hello"), i));
    EXPECT_EQ(queue->totalBytesToDownload(), 3);
    EXPECT_EQ(queue->totalBytesToUpload(), 3);
    queue->go();
    ASSERT_TRUE(waitUntil([&] { return queueFinished == 1; }));
    drainMainThread();
    EXPECT_EQ(queue->bytesDownloadedSoFar(), 3);
}

// A step back (a restart taking back what it had sent) is counted as one,
// not as a huge unsigned number.
TEST_F(NetworkQueue, ProgressTakenBackStaysSigned)
{
    auto r = request(QStringLiteral("/hello"), 0);
    queue->requestDidSendBytes(*r, 100);
    queue->requestDidSendBytes(*r, -150);
    EXPECT_EQ(queue->bytesUploadedSoFar(), -50);
}

TEST_F(NetworkQueue, OnlyRequestsMayBeAdded)
{
    class Plain : public platform::Operation { };
    try {
        queue->addOperation(std::make_shared<Plain>());
        FAIL() << "no exception";
    } catch (const VNNetworkQueueException& e) {
        EXPECT_EQ(e.name(), QStringLiteral("AttemptToAddInvalidRequest"));
        EXPECT_EQ(e.reason(), QStringLiteral("Attempted to add an object that was not an VNHTTPRequest to an VNNetworkQueue"));
    }
    EXPECT_EQ(queue->requestsCount(), 0);
}

// A request's thread asks the queue whether it confirms redirects or
// handles authentication while it holds the request's lock; a queue
// callback on the main thread may want that same lock meanwhile. The
// questions are answered at once, not after the callback.
TEST_F(NetworkQueue, QuestionsFromARequestThreadDoNotWaitForARunningCallback)
{
    auto r = request(QStringLiteral("/hello"), 0);
    queue->setRequestWillRedirectSelector([](VNHTTPRequest& redirected, const QUrl& url) { redirected.redirectToURL(url); });
    queue->addOperation(r);
    const auto relay = r->queue();
    ASSERT_TRUE(relay);

    bool answeredDuringCallback = false, confirms = false, authenticates = true;
    // Outlives the callback: a question that waits for it can end after it.
    std::future<void> answer;
    queue->setRequestDidStartSelector([&](VNHTTPRequest&) {
        if (answer.valid())
            return;
        answer = std::async(std::launch::async, [&] {
            confirms = relay->wantsToConfirmRedirects();
            authenticates = relay->handlesAuthentication();
        });
        answeredDuringCallback = answer.wait_for(30s) == std::future_status::ready;
    });
    relay->requestStarted(*r);
    ASSERT_TRUE(answer.valid());
    answer.wait();
    EXPECT_TRUE(answeredDuringCallback) << "the question waited for the main thread's callback";
    EXPECT_TRUE(confirms);
    EXPECT_FALSE(authenticates);

    // The request was only added to have its relay: let it run out.
    queue->setRequestDidStartSelector({});
    queue->go();
    ASSERT_TRUE(waitUntil([&] { return queueFinished == 1; }));
}

// A callback may destroy its own queue (the owner's "all done" often
// does): the queue touches nothing of itself afterwards, and later events
// of its requests go nowhere.
TEST_F(NetworkQueue, ACallbackMayDestroyItsQueue)
{
    enum class Event { Finished, Failed };
    struct Case {
        const char* name;
        Event event;
        int requests; // added, so a failure with others left cancels them
        bool fromQueueDidFinish; // else from the request's own callback
    };
    const Case cases[] = {
        { "the last request finished", Event::Finished, 1, false },
        { "all done after the last finished", Event::Finished, 1, true },
        { "a request failed with others left", Event::Failed, 2, false },
        { "the last request failed", Event::Failed, 1, false },
        { "all done after the last failed", Event::Failed, 1, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        queue = VNNetworkQueue::queue();
        events.clear();
        std::vector<std::shared_ptr<VNHTTPRequest>> requests;
        for (int i = 0; i < c.requests; ++i) {
            requests.push_back(request(QStringLiteral("/hello"), i));
            queue->addOperation(requests.back());
        }
        const auto relay = requests.front()->queue();
        int destroyed = 0;
        const auto destroy = [&] {
            ++destroyed;
            queue.reset();
        };
        const auto noteThen = [&](VNHTTPRequest& r, const QString& what) {
            note(r, what);
            if (!c.fromQueueDidFinish)
                destroy();
        };
        queue->setRequestDidFinishSelector([&](VNHTTPRequest& r) { noteThen(r, QStringLiteral("finished")); });
        queue->setRequestDidFailSelector([&](VNHTTPRequest& r) { noteThen(r, QStringLiteral("failed")); });
        queue->setQueueDidFinishSelector([&](VNNetworkQueue&) {
            events.append(QStringLiteral("all done"));
            if (c.fromQueueDidFinish)
                destroy();
        });

        if (c.event == Event::Finished)
            relay->requestFinished(*requests.front());
        else
            relay->requestFailed(*requests.front());
        EXPECT_FALSE(queue);
        EXPECT_EQ(destroyed, 1);
        const QString outcome = c.event == Event::Finished ? QStringLiteral("0 finished") : QStringLiteral("0 failed");
        EXPECT_EQ(events, c.fromQueueDidFinish ? QStringList({ outcome, QStringLiteral("all done") }) : QStringList({ outcome }));

        // The queue is gone: what its requests still report goes nowhere.
        relay->requestFinished(*requests.back());
        std::dynamic_pointer_cast<VNProgressDelegate>(relay)->requestDidReceiveBytes(*requests.back(), 10);
        EXPECT_FALSE(relay->wantsToConfirmRedirects());
        EXPECT_EQ(events.size(), c.fromQueueDidFinish ? 2 : 1);
        drainMainThread();
    }
}

// A queue destroyed while its requests run returns at once, cancels them,
// and hears nothing more of them; their own delegates still learn the end.
TEST_F(NetworkQueue, DestroyedWhileItsRequestsRun)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    std::vector<std::shared_ptr<VNHTTPRequest>> requests;
    for (int i = 0; i < 6; ++i) {
        requests.push_back(request(QStringLiteral("/hold"), i));
        requests.back()->setDelegate(delegate);
        queue->addOperation(requests.back());
    }
    queue->go();
    ASSERT_TRUE(waitUntil([&] { return server.heldRequests() == 4; }));
    const QStringList before = events;
    queue.reset();
    // The answers go only once every cancel has landed, so none of them can
    // finish a request first.
    ASSERT_TRUE(waitUntil([&] { return std::all_of(requests.begin(), requests.end(), [](const auto& r) { return r->isCancelled(); }); }));
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return delegate->count(QStringLiteral("failed")) == 6; }));
    drainMainThread();
    EXPECT_EQ(events, before);
    EXPECT_EQ(queueFinished, 0);
    EXPECT_EQ(delegate->count(QStringLiteral("failed 4")), 6);
}
