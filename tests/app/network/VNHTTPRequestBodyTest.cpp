#include "RequestTestSupport.h"

#include "ScriptedHTTPServer.h"
#include "VNDataDecompressor.h"
#include "VNHTTPCookieStorage.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HTTPRequestBody : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearProxyEnvironment();
        VNHTTPCookieStorage::shared().deleteAllCookies();
        VNHTTPRequest::setSessionCookies({});
    }

    // Runs the request to its end here and answers what /echo saw.
    static EchoedRequest run(const std::shared_ptr<VNHTTPRequest>& r)
    {
        r->startSynchronous();
        EXPECT_FALSE(r->error()) << r->error()->message.toStdString();
        return EchoedRequest::parse(r->responseData());
    }

    std::shared_ptr<VNHTTPRequest> echo() { return VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/echo")))); }

    ScriptedHTTPServer server;
    QTemporaryDir dir;
};

// Lets a test act when the request announces its start, before the body
// is opened.
class StartHook : public RecordingDelegate {
public:
    void requestStarted(VNHTTPRequest& r) override
    {
        RecordingDelegate::requestStarted(r);
        if (hook)
            hook();
    }
    std::function<void()> hook;
};

} // namespace

TEST_F(HTTPRequestBody, ABodyMakesGetDeleteAndHeadAPostWithItsLength)
{
    const struct {
        const char* method;
        const char* sentAs;
    } cases[] = { { "GET", "POST" }, { "DELETE", "POST" }, { "HEAD", "POST" }, { "PUT", "PUT" }, { "POST", "POST" } };
    for (const auto& c : cases) {
        auto r = echo();
        r->setRequestMethod(QString::fromLatin1(c.method));
        r->appendPostData("abc");
        const EchoedRequest seen = run(r);
        EXPECT_TRUE(seen.requestLine.startsWith(QString::fromLatin1(c.sentAs) + QStringLiteral(" /echo "))) << c.method;
        EXPECT_EQ(seen.fields.value(QStringLiteral("content-length")), QStringLiteral("3")) << c.method;
        EXPECT_EQ(seen.body, "abc") << c.method;
    }
}

TEST_F(HTTPRequestBody, MethodsWithABodyDoNotAskForAKeptConnection)
{
    auto post = echo();
    post->setRequestMethod(QStringLiteral("POST"));
    EXPECT_FALSE(post->shouldAttemptPersistentConnection());
    auto withBody = echo();
    withBody->appendPostData("x");
    withBody->setRequestMethod(QStringLiteral("PATCH"));
    EXPECT_FALSE(withBody->shouldAttemptPersistentConnection());
    auto get = echo();
    get->setRequestMethod(QStringLiteral("OPTIONS"));
    EXPECT_TRUE(get->shouldAttemptPersistentConnection());
}

TEST_F(HTTPRequestBody, BodyStreamedFromDiskArrivesWholeAndItsFileIsRemoved)
{
    QFile source(dir.filePath(QStringLiteral("part.bin")));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    QByteArray part;
    for (int i = 0; i < 300000; ++i)
        part += char('a' + i % 23);
    source.write(part);
    source.close();

    auto r = echo();
    r->setShouldStreamPostDataFromDisk(true);
    r->appendPostData("head:");
    r->appendPostDataFromFile(source.fileName());
    const QString bodyFile = r->postBodyFilePath();
    ASSERT_TRUE(QFile::exists(bodyFile));
    const EchoedRequest seen = run(r);
    EXPECT_EQ(seen.body, "head:" + part);
    EXPECT_EQ(r->postLength(), quint64(5 + part.size()));
    EXPECT_FALSE(QFile::exists(bodyFile));
}

TEST_F(HTTPRequestBody, CompressedBodyIsSentAsGzip)
{
    auto r = echo();
    r->setShouldCompressRequestBody(true);
    const QByteArray text = QByteArray("compress me ").repeated(100);
    r->appendPostData(text);
    const EchoedRequest seen = run(r);
    EXPECT_EQ(seen.fields.value(QStringLiteral("content-encoding")), QStringLiteral("gzip"));
    EXPECT_EQ(VNDataDecompressor::uncompressData(seen.body).value_or(QByteArray()), text);
    EXPECT_LT(seen.body.size(), text.size());
}

TEST_F(HTTPRequestBody, ABodyFileThatShrinksBeforeItIsSentFailsWithCode8)
{
    const QString path = dir.filePath(QStringLiteral("body.bin"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(200000, 'b'));
    file.close();

    auto r = echo();
    r->setShouldStreamPostDataFromDisk(true);
    r->setPostBodyFilePath(path);
    auto delegate = std::make_shared<StartHook>();
    // The length is known by now; the file loses its second half.
    delegate->hook = [&] { QFile::resize(path, 100000); };
    r->setDelegate(delegate);
    r->startSynchronous();
    ASSERT_TRUE(r->error());
    EXPECT_EQ(r->error()->code, VNHTTPRequest::FileManagementError);
    EXPECT_EQ(delegate->count(QStringLiteral("finished")), 0);
    EXPECT_EQ(delegate->count(QStringLiteral("failed 8")), 1);
}

TEST_F(HTTPRequestBody, ABodyThatCouldNotBeWrittenFailsWithCode8)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full on this system";
    auto r = echo();
    r->setShouldStreamPostDataFromDisk(true);
    r->setPostBodyFilePath(QStringLiteral("/dev/full"));
    r->appendPostData("these bytes never reach the disk");
    r->startSynchronous();
    ASSERT_TRUE(r->error());
    EXPECT_EQ(r->error()->code, VNHTTPRequest::FileManagementError);
    EXPECT_EQ(server.acceptedConnections(), 0);
}

TEST_F(HTTPRequestBody, RequestCookiesMakeOneHeaderInListOrder)
{
    auto r = echo();
    r->setRequestCookies({ VNHTTPCookie("a", "1"), VNHTTPCookie("b", "2"), VNHTTPCookie("c", "3") });
    EXPECT_EQ(run(r).fields.value(QStringLiteral("cookie")), QStringLiteral("a=1; b=2; c=3"));
    EXPECT_FALSE(run(echo()).fields.contains(QStringLiteral("cookie")));
}

TEST_F(HTTPRequestBody, ACookieTheServerSetComesBackOnTheNextRequest)
{
    auto set = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/set-cookie?c=flavour%3Doat%3B%20Path%3D%2F"))));
    set->startSynchronous();
    ASSERT_FALSE(set->error());
    ASSERT_EQ(set->responseCookies().size(), 1);
    EXPECT_EQ(set->responseCookies().first().name(), "flavour");
    EXPECT_EQ(VNHTTPRequest::sessionCookies().size(), 1);

    EXPECT_EQ(run(echo()).fields.value(QStringLiteral("cookie")), QStringLiteral("flavour=oat"));

    auto without = echo();
    without->setUseCookiePersistence(false);
    EXPECT_FALSE(run(without).fields.contains(QStringLiteral("cookie")));
    // Ending the session takes its cookies out of the store.
    VNHTTPRequest::clearSession();
    EXPECT_FALSE(run(echo()).fields.contains(QStringLiteral("cookie")));
}

TEST_F(HTTPRequestBody, ASessionCookieWithTheSameDomainPathAndNameReplacesTheOld)
{
    VNHTTPCookie first("n", "1"), other("m", "2"), second("n", "3");
    for (VNHTTPCookie* c : { &first, &other, &second }) {
        c->setDomain(QStringLiteral("127.0.0.1"));
        c->setPath(QStringLiteral("/"));
        VNHTTPRequest::addSessionCookie(*c);
    }
    const QList<VNHTTPCookie> cookies = VNHTTPRequest::sessionCookies();
    ASSERT_EQ(cookies.size(), 2);
    EXPECT_EQ(cookies[0].value(), "2");
    EXPECT_EQ(cookies[1].value(), "3");
}

TEST_F(HTTPRequestBody, DefaultHeadersNameTheProgramAndAcceptGzip)
{
    VNHTTPRequest::setDefaultUserAgentString(QString());
    auto r = echo();
    const EchoedRequest seen = run(r);
    EXPECT_EQ(seen.fields.value(QStringLiteral("accept-encoding")), QStringLiteral("gzip"));
    EXPECT_TRUE(seen.fields.value(QStringLiteral("user-agent")).isEmpty() == QCoreApplication::applicationName().isEmpty());

    VNHTTPRequest::setDefaultUserAgentString(QStringLiteral("Velumo 1.0 (test)"));
    auto custom = echo();
    custom->addRequestHeader(QStringLiteral("X-Extra"), QStringLiteral("one"));
    custom->addRequestHeader(QStringLiteral("x-extra"), QStringLiteral("two"));
    const EchoedRequest seenCustom = run(custom);
    EXPECT_EQ(seenCustom.fields.value(QStringLiteral("user-agent")), QStringLiteral("Velumo 1.0 (test)"));
    EXPECT_EQ(seenCustom.fields.value(QStringLiteral("x-extra")), QStringLiteral("two"));
    VNHTTPRequest::setDefaultUserAgentString(QString());
}

TEST_F(HTTPRequestBody, Base64AndMimeTypes)
{
    EXPECT_EQ(VNHTTPRequest::base64forData("abc"), QStringLiteral("YWJj"));
    EXPECT_EQ(VNHTTPRequest::base64forData(QByteArray(1, '\0')), QStringLiteral("AA=="));
    EXPECT_TRUE(VNHTTPRequest::mimeTypeForFileAtPath(dir.filePath(QStringLiteral("missing.png"))).isNull());
    const QString unknown = dir.filePath(QStringLiteral("data.zzqq"));
    const QString png = dir.filePath(QStringLiteral("picture.png"));
    for (const QString& path : { unknown, png }) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(VNHTTPRequest::mimeTypeForFileAtPath(unknown), QStringLiteral("application/octet-stream"));
    EXPECT_EQ(VNHTTPRequest::mimeTypeForFileAtPath(png), QStringLiteral("image/png"));
}

TEST_F(HTTPRequestBody, AHeadCompanionSendsTheMainRequestsHeadersAndReportsThroughIt)
{
    auto main = echo();
    main->addRequestHeader(QStringLiteral("X-Main"), QStringLiteral("yes"));
    auto mainDelegate = std::make_shared<RecordingDelegate>();
    main->setDelegate(mainDelegate);
    auto head = main->HEADRequest();
    auto headDelegate = std::make_shared<RecordingDelegate>();
    head->setDelegate(headDelegate);
    EXPECT_EQ(head->requestMethod(), QStringLiteral("HEAD"));
    head->startSynchronous();
    ASSERT_FALSE(head->error());
    EXPECT_EQ(head->responseStatusCode(), 200);
    EXPECT_GT(main->contentLength(), 0u);
    EXPECT_EQ(head->contentLength(), 0u);
    EXPECT_TRUE(headDelegate->events().isEmpty());
    EXPECT_TRUE(mainDelegate->events().isEmpty());

    // A failure is the main request's.
    auto unreachable = VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://127.0.0.1:1/")));
    unreachable->setDelegate(mainDelegate);
    auto failingHead = unreachable->HEADRequest();
    failingHead->setDelegate(headDelegate);
    failingHead->startSynchronous();
    ASSERT_TRUE(unreachable->error());
    EXPECT_EQ(unreachable->error()->code, VNHTTPRequest::ConnectionFailureErrorType);
    EXPECT_TRUE(headDelegate->events().isEmpty());
    EXPECT_EQ(mainDelegate->events(), QStringList { QStringLiteral("failed 1") });
}
