#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "VNHTTPCookieStorage.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HTTPRequestResponse : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearProxyEnvironment();
        VNHTTPCookieStorage::shared().deleteAllCookies();
        VNHTTPRequest::setSessionCookies({});
    }

    static void needNginx()
    {
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    }
    static QString nginxURL(const QString& path)
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(LocalServers::shared().nginxPort()).arg(path);
    }
    static QByteArray nginxFile(const QString& name)
    {
        QFile f(LocalServers::shared().nginxDocumentPath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QString redirect(int status, const QString& to) const
    {
        return server.url(QStringLiteral("/redirect?status=%1&to=%2").arg(status).arg(QString::fromLatin1(QUrl::toPercentEncoding(to))));
    }

    ScriptedHTTPServer server;
    QTemporaryDir dir;
};

// Sends credentials before any challenge, the way pre-emptive Basic
// authentication does.
class PresentingCredentials : public VNHTTPRequest {
public:
    using VNHTTPRequest::VNHTTPRequest;

protected:
    void applyCredentialsBeforeChallenge() override
    {
        message().setHeaderField(QStringLiteral("Authorization"), QStringLiteral("Basic cHJlOmVtcHRpdmU="));
    }
};

} // namespace

TEST_F(HTTPRequestResponse, ContentTypeGivesMimeTypeAndKnownCharsets)
{
    const struct {
        const char* value;
        const char* mime;
        const char* charset;
    } cases[] = {
        { "text/html; charset=utf-8", "text/html", "utf-8" },
        { " text/plain ", "text/plain", "" },
        { "text/plain; charset=no-such-set", "text/plain", "" },
        { "text/xml; format=x; charset=\"ISO-8859-1\"", "text/xml", "ISO-8859-1" },
        { "", "", "" },
    };
    for (const auto& c : cases) {
        QString mime;
        QByteArray charset;
        VNHTTPRequest::parseMimeType(QString::fromLatin1(c.value), &mime, &charset);
        EXPECT_EQ(mime, QString::fromLatin1(c.mime)) << c.value;
        EXPECT_EQ(charset, QByteArray(c.charset)) << c.value;
    }
}

TEST_F(HTTPRequestResponse, FiveRedirectsAreFollowedAndTheSixthFailsWithCode9)
{
    needNginx();
    const struct {
        const char* path;
        int redirects;
        bool fails;
    } cases[] = { { "/redirect/3", 5, false }, { "/redirect/2", 6, true } };
    for (const auto& c : cases) {
        auto delegate = std::make_shared<RecordingDelegate>();
        auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL(QString::fromLatin1(c.path))));
        r->setDelegate(delegate);
        r->startSynchronous();
        EXPECT_EQ(delegate->count(QStringLiteral("redirected")), c.redirects) << c.path;
        if (c.fails) {
            ASSERT_TRUE(r->error()) << c.path;
            EXPECT_EQ(r->error()->code, VNHTTPRequest::TooMuchRedirectionErrorType);
            EXPECT_EQ(r->error()->message, QStringLiteral("The request failed because it redirected too many times"));
        } else {
            ASSERT_FALSE(r->error()) << c.path;
            EXPECT_EQ(r->responseData(), "Hello from nginx\n");
            EXPECT_EQ(r->url(), QUrl(nginxURL(QStringLiteral("/hello.txt"))));
            EXPECT_EQ(r->originalURL(), QUrl(nginxURL(QString::fromLatin1(c.path))));
        }
    }
}

TEST_F(HTTPRequestResponse, RedirectStatusDecidesMethodBodyAndHeaders)
{
    const struct {
        int status;
        bool rfc2616;
        const char* method;
        bool keepsBody;
    } cases[] = {
        { 302, false, "GET", false },
        { 301, false, "GET", false },
        { 303, false, "GET", false },
        { 307, false, "POST", true },
        { 302, true, "POST", true },
        { 303, true, "GET", false },
    };
    for (const auto& c : cases) {
        auto r = VNHTTPRequest::requestWithURL(QUrl(redirect(c.status, QStringLiteral("/echo"))));
        r->setShouldUseRFC2616RedirectBehaviour(c.rfc2616);
        r->appendPostData("payload");
        r->addRequestHeader(QStringLiteral("Accept"), QStringLiteral("text/plain"));
        r->addRequestHeader(QStringLiteral("X-Custom"), QStringLiteral("mine"));
        r->startSynchronous();
        ASSERT_FALSE(r->error()) << c.status;
        const EchoedRequest seen = EchoedRequest::parse(r->responseData());
        EXPECT_TRUE(seen.requestLine.startsWith(QString::fromLatin1(c.method) + QStringLiteral(" /echo"))) << c.status << " " << seen.requestLine.toStdString();
        EXPECT_EQ(seen.body, c.keepsBody ? QByteArray("payload") : QByteArray()) << c.status;
        EXPECT_EQ(seen.fields.contains(QStringLiteral("content-length")), c.keepsBody) << c.status;
        EXPECT_EQ(seen.fields.value(QStringLiteral("accept")), QStringLiteral("text/plain")) << c.status;
        EXPECT_EQ(seen.fields.contains(QStringLiteral("x-custom")), c.keepsBody) << c.status;
    }
}

TEST_F(HTTPRequestResponse, NotEveryLocationIsARedirect)
{
    const struct {
        QString url;
        int status;
        std::optional<int> error;
    } cases[] = {
        { redirect(302, QStringLiteral("ftp://127.0.0.1/file")), 0, VNHTTPRequest::UnableToCreateRequestErrorType },
        { redirect(302, QStringLiteral("file:///etc/passwd")), 0, VNHTTPRequest::UnableToCreateRequestErrorType },
        { server.url(QStringLiteral("/status?code=301")), 301, std::nullopt },
        { redirect(308, QStringLiteral("/echo")), 308, std::nullopt },
    };
    for (const auto& c : cases) {
        auto r = VNHTTPRequest::requestWithURL(QUrl(c.url));
        r->startSynchronous();
        if (c.error) {
            ASSERT_TRUE(r->error()) << c.url.toStdString();
            EXPECT_EQ(r->error()->code, *c.error);
        } else {
            ASSERT_FALSE(r->error()) << c.url.toStdString();
            EXPECT_EQ(r->responseStatusCode(), c.status);
        }
    }
    auto notFollowed = VNHTTPRequest::requestWithURL(QUrl(redirect(302, QStringLiteral("/echo"))));
    notFollowed->setShouldRedirect(false);
    notFollowed->startSynchronous();
    EXPECT_EQ(notFollowed->responseStatusCode(), 302);
}

TEST_F(HTTPRequestResponse, CredentialsAndCookiesStayWithTheirOrigin)
{
    // The cookie belongs to 127.0.0.1; "localhost" is the same machine
    // under another name, so another origin.
    auto setCookie = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/set-cookie?c=session%3Dsecret%3B%20Path%3D%2F"))));
    setCookie->startSynchronous();
    ASSERT_FALSE(setCookie->error());

    ScriptedHTTPServer other;
    const QString otherOrigin = QStringLiteral("http://localhost:%1/echo").arg(other.port());
    const struct {
        int status;
        QString target;
        bool sameOrigin;
    } cases[] = {
        { 307, otherOrigin, false },
        { 302, otherOrigin, false },
        { 307, server.url(QStringLiteral("/echo")), true },
        { 302, server.url(QStringLiteral("/echo")), true },
    };
    for (const auto& c : cases) {
        auto r = std::make_shared<PresentingCredentials>(QUrl(redirect(c.status, c.target)));
        r->addRequestHeader(QStringLiteral("Authorization"), QStringLiteral("Bearer given-by-caller"));
        r->startSynchronous();
        ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
        const EchoedRequest seen = EchoedRequest::parse(r->responseData());
        const QString where = QStringLiteral("%1 to %2").arg(c.status).arg(c.target);
        if (c.sameOrigin) {
            EXPECT_EQ(seen.fields.value(QStringLiteral("cookie")), QStringLiteral("session=secret")) << where.toStdString();
            EXPECT_TRUE(seen.fields.contains(QStringLiteral("authorization"))) << where.toStdString();
        } else {
            EXPECT_FALSE(seen.fields.contains(QStringLiteral("cookie"))) << where.toStdString();
            EXPECT_FALSE(seen.fields.contains(QStringLiteral("authorization"))) << where.toStdString();
        }
    }
}

TEST_F(HTTPRequestResponse, ADelegateThatConfirmsRedirectsIsAskedFirst)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->confirmRedirects = true;
    auto r = VNHTTPRequest::requestWithURL(QUrl(redirect(302, QStringLiteral("/hello"))));
    r->setDelegate(delegate);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events(),
        (QStringList { QStringLiteral("started"), QStringLiteral("redirected"), QStringLiteral("headers"), QStringLiteral("will redirect"),
            QStringLiteral("started"), QStringLiteral("headers"), QStringLiteral("finished") }));
    EXPECT_EQ(r->responseData(), "hello");
}

TEST_F(HTTPRequestResponse, GzipBodiesComeOutAsTheFileInEveryWay)
{
    needNginx();
    const QByteArray original = nginxFile(QStringLiteral("big.txt"));
    ASSERT_GT(original.size(), 100000);
    for (bool waitToInflate : { true, false }) {
        for (bool toFile : { false, true }) {
            auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL(QStringLiteral("/big.txt"))));
            r->setShouldWaitToInflateCompressedResponses(waitToInflate);
            const QString destination = dir.filePath(QStringLiteral("big-%1-%2.txt").arg(waitToInflate).arg(toFile));
            if (toFile)
                r->setDownloadDestinationPath(destination);
            r->startSynchronous();
            ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
            EXPECT_TRUE(r->isResponseCompressed());
            EXPECT_LT(r->totalBytesRead(), quint64(original.size()));
            if (toFile) {
                QFile f(destination);
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                EXPECT_TRUE(f.readAll() == original) << waitToInflate;
                EXPECT_TRUE(r->responseData().isEmpty());
            } else {
                EXPECT_TRUE(r->responseData() == original) << waitToInflate;
            }
        }
    }
}

TEST_F(HTTPRequestResponse, HeaderNamesMatchWhateverTheirCase)
{
    needNginx();
    auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL(QStringLiteral("/hello.txt"))));
    r->setAllowCompressedResponse(false);
    r->startSynchronous();
    ASSERT_FALSE(r->error());
    const QString etag = r->responseHeaders().value(QStringLiteral("ETag"));
    EXPECT_FALSE(etag.isEmpty());
    EXPECT_EQ(r->responseHeaders().value(QStringLiteral("Etag")), etag);
    EXPECT_EQ(r->responseHeaders().value(QStringLiteral("etag")), etag);
    EXPECT_EQ(r->contentLength(), 17u);
    EXPECT_EQ(r->responseEncoding(), QByteArray("ISO-8859-1"));
    EXPECT_EQ(r->responseString(), QStringLiteral("Hello from nginx\n"));
}

TEST_F(HTTPRequestResponse, ResumeAppendsOnlyToAnAnswerThatContinuesTheFile)
{
    QByteArray lower;
    for (int i = 0; i < 100; ++i)
        lower += char('a' + i % 26);
    QByteArray upper = lower.toUpper();
    const struct {
        const char* path;
        QByteArray expected;
    } cases[] = {
        { "/range", lower },          // 206 from byte 40: appended
        { "/range-shifted", upper },  // 206 from byte 0: the file starts again
        { "/range-ignored", upper },  // 200, range ignored: the file starts again
    };
    for (const auto& c : cases) {
        const QString partial = dir.filePath(QStringLiteral("partial") + QString::fromLatin1(c.path).mid(1));
        const QString destination = partial + QStringLiteral(".done");
        QFile f(partial);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(lower.left(40));
        f.close();
        auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QString::fromLatin1(c.path))));
        r->setAllowResumeForFileDownloads(true);
        r->setDownloadDestinationPath(destination);
        r->setTemporaryFileDownloadPath(partial);
        r->startSynchronous();
        ASSERT_FALSE(r->error()) << c.path;
        QFile done(destination);
        ASSERT_TRUE(done.open(QIODevice::ReadOnly)) << c.path;
        EXPECT_EQ(done.readAll(), c.expected) << c.path;
        EXPECT_FALSE(QFile::exists(partial)) << c.path;
    }
}

TEST_F(HTTPRequestResponse, ReceivedDataGoesToTheListenerAndIsNotKept)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->takeData = true;
    auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/drip"))));
    r->setDelegate(delegate);
    r->startSynchronous();
    ASSERT_FALSE(r->error());
    EXPECT_EQ(delegate->received, "0123456789");
    EXPECT_TRUE(r->responseData().isEmpty());

    QByteArray viaBlock;
    auto withBlock = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hello"))));
    withBlock->setDataReceivedBlock([&](const QByteArray& data) { viaBlock += data; });
    withBlock->startSynchronous();
    EXPECT_EQ(viaBlock, "hello");
    EXPECT_TRUE(withBlock->responseData().isEmpty());
}

TEST_F(HTTPRequestResponse, HTTPDatesAndExpiry)
{
    const QDateTime expected(QDate(1994, 11, 6), QTime(8, 49, 37), Qt::UTC);
    EXPECT_EQ(VNHTTPRequest::dateFromRFC1123String(QStringLiteral("Sun, 06 Nov 1994 08:49:37 GMT")), expected);
    EXPECT_EQ(VNHTTPRequest::dateFromRFC1123String(QStringLiteral("06 Nov 1994 08:49 GMT")), expected.addSecs(-37));
    EXPECT_EQ(VNHTTPRequest::dateFromRFC1123String(QStringLiteral("Sun, 06 Nov 1994 09:49:37 +0100")), expected);
    for (const char* bad : { "", "yesterday", "31 Feb 1994 08:49 GMT", "06 Nov 1994 08:49:37" })
        EXPECT_FALSE(VNHTTPRequest::dateFromRFC1123String(QString::fromLatin1(bad))) << bad;

    const QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    const struct {
        QStringList headers;
        double maxAge;
        std::optional<QDateTime> expiry;
    } cases[] = {
        { {}, 30, now.addSecs(30) },
        { { QStringLiteral("Cache-Control: public, MAX-AGE=60") }, 0, now.addSecs(60) },
        { { QStringLiteral("Cache-Control: max-age=0"), QStringLiteral("Expires: Sun, 06 Nov 1994 08:49:37 GMT") }, 0, expected },
        { {}, 0, std::nullopt },
    };
    for (const auto& c : cases) {
        QString path = QStringLiteral("/headers?");
        for (const QString& h : c.headers)
            path += QStringLiteral("h=") + QString::fromLatin1(QUrl::toPercentEncoding(h)) + QLatin1Char('&');
        auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(path)));
        r->startSynchronous();
        ASSERT_FALSE(r->error());
        EXPECT_EQ(VNHTTPRequest::expiryDateForRequest(*r, c.maxAge, now), c.expiry) << c.headers.join(QStringLiteral(" | ")).toStdString();
    }
}
