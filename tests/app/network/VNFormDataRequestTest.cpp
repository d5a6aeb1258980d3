#include "RequestTestSupport.h"

#include "ScriptedHTTPServer.h"
#include "VNFormDataRequest.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FormDataRequest : public ::testing::Test {
protected:
    void SetUp() override { clearProxyEnvironment(); }

    std::shared_ptr<VNFormDataRequest> form()
    {
        auto r = VNFormDataRequest::requestWithURL(QUrl(server.url(QStringLiteral("/echo"))));
        r->setDelegate(delegate);
        return r;
    }
    // What the server received.
    EchoedRequest send(const std::shared_ptr<VNFormDataRequest>& r)
    {
        r->startAsynchronous();
        EXPECT_TRUE(waitUntil([&] { return delegate->ended(); }));
        EXPECT_EQ(delegate->events().last(), QStringLiteral("finished"));
        return EchoedRequest::parse(r->responseData());
    }

    ScriptedHTTPServer server;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    QTemporaryDir dir;
};

} // namespace

TEST_F(FormDataRequest, URLEncodedFormArrivesAsEscapedPairs)
{
    auto r = form();
    r->addPostValue(QStringLiteral("1"), QStringLiteral("a"));
    r->addPostValue(QStringLiteral("x y&z"), QStringLiteral("b"));
    r->addPostValue(42, QStringLiteral("number"));
    r->addPostValue(QStringLiteral("v"), QStringLiteral("na\"me\r\n"));
    const EchoedRequest got = send(r);
    EXPECT_EQ(got.requestLine, QStringLiteral("POST /echo HTTP/1.1"));
    EXPECT_EQ(got.fields.value(QStringLiteral("content-type")),
        QStringLiteral("application/x-www-form-urlencoded; charset=%1").arg(VNFormDataBody::charsetName(QStringConverter::Utf8)));
    const QByteArray expected = "a=1&b=x%20y%26z&number=42&na%22me%0D%0A=v";
    EXPECT_EQ(got.body, expected);
    EXPECT_EQ(got.fields.value(QStringLiteral("content-length")), QString::number(expected.size()));
}

// Values and files, one of them streamed from disk: the exact bytes of a
// multipart body. A quote or a line break in a name cannot end the quoted
// parameter or the header line.
TEST_F(FormDataRequest, MultipartFormArrivesByteForByteWithSafeNames)
{
    QByteArray fileContent(300 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < fileContent.size(); ++i)
        fileContent[i] = char(i * 13);
    const QString path = dir.filePath(QStringLiteral("upload.bin"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(fileContent);
    }
    auto r = form();
    r->addPostValue(QStringLiteral("value one"), QStringLiteral("plain"));
    r->addPostValue(QStringLiteral("q"), QStringLiteral("we\"ird\r\nname"));
    r->addFile(path, QStringLiteral("a\"b\nc.bin"), QStringLiteral("application/octet-stream"), QStringLiteral("file"));
    r->addData("in memory", QStringLiteral("data"));
    EXPECT_EQ(r->postFormat(), VNFormDataBody::URLEncodedPostFormat);
    const EchoedRequest got = send(r);
    EXPECT_EQ(r->postFormat(), VNFormDataBody::MultipartFormDataPostFormat);

    const QRegularExpressionMatch type = QRegularExpression(QStringLiteral("^multipart/form-data; charset=[^;]+; boundary=(0xKhTmLbOuNdArY-[0-9A-Fa-f-]+)$"))
                                             .match(got.fields.value(QStringLiteral("content-type")));
    ASSERT_TRUE(type.hasMatch()) << got.fields.value(QStringLiteral("content-type")).toStdString();
    const QByteArray b = type.captured(1).toLatin1();
    const QByteArray expected = "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"plain\"\r\n\r\nvalue one"
        "\r\n--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"we%22ird%0D%0Aname\"\r\n\r\nq"
        "\r\n--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"file\"; filename=\"a%22b%0Ac.bin\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n" + fileContent +
        "\r\n--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"data\"; filename=\"file\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\nin memory"
        "\r\n--" + b + "--\r\n";
    EXPECT_EQ(got.body.size(), expected.size());
    EXPECT_TRUE(got.body == expected);
}

TEST_F(FormDataRequest, MissingFileFailsTheRequestWithCode6)
{
    auto r = form();
    const QString missing = dir.filePath(QStringLiteral("missing.bin"));
    r->addPostValue(QStringLiteral("1"), QStringLiteral("a"));
    r->addFile(missing, QStringLiteral("file"));
    ASSERT_TRUE(r->error());
    EXPECT_EQ(r->error()->code, 6);
    EXPECT_EQ(r->error()->message, QStringLiteral("No file exists at %1").arg(missing));
    EXPECT_EQ(r->fileData().size(), 1);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return r->isFinished(); }));
    drainMainThread();
    EXPECT_EQ(delegate->events(), QStringList { QStringLiteral("failed 6") });
    EXPECT_EQ(server.acceptedConnections(), 0);

    // A folder is no file either.
    auto folder = form();
    folder->addFile(dir.path(), QStringLiteral("file"));
    ASSERT_TRUE(folder->error());
    EXPECT_EQ(folder->error()->code, 6);
}
