// Form bodies byte for byte: URL-encoded and multipart, files streamed
// from disk, names that would break a Content-Disposition header.
#include "VNFormDataBody.h"
#include "VNPostBodySink.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Collects what a request would send; files are copied in pieces as the
// request's body store does.
struct RecordingSink : VNPostBodySink {
    QList<QPair<QString, QString>> headers;
    bool streaming = false;
    QByteArray body;
    QStringList filesRead;

    void addRequestHeader(const QString& name, const QString& value) override { headers.append({name, value}); }
    void setShouldStreamPostDataFromDisk(bool stream) override { streaming = stream; }
    void appendPostData(const QByteArray& data) override { body += data; }
    void appendPostDataFromFile(const QString& path) override
    {
        filesRead << path;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        while (!file.atEnd())
            body += file.read(7);
    }
    QString contentType() const
    {
        for (const auto& h : headers)
            if (h.first == QLatin1String("Content-Type"))
                return h.second;
        return QString();
    }
    QString boundary() const
    {
        const auto m = QRegularExpression(QStringLiteral("boundary=(\\S+)$")).match(contentType());
        return m.captured(1);
    }
};

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

TEST(VNFormDataBody, URLEncodedBodyJoinsEscapedPairsInOrder)
{
    VNFormDataBody form;
    form.addPostValue(1, QStringLiteral("a"));
    form.addPostValue(QStringLiteral("2"), QStringLiteral("b"));
    form.addPostValue(3.5, QStringLiteral("c"));
    form.addPostValue(QStringLiteral("ignored"), QString()); // no key
    form.addPostValue(QStringLiteral("x y&z=\"1\"\n"), QStringLiteral("na me"));
    RecordingSink sink;
    form.buildPostBody(sink);
    EXPECT_EQ(sink.contentType(), QStringLiteral("application/x-www-form-urlencoded; charset=utf-8"));
    EXPECT_FALSE(sink.streaming);
    EXPECT_EQ(sink.body, QByteArray("a=1&b=2&c=3.5&na%20me=x%20y%26z%3D%221%22%0A"));

    // Setting a key replaces all its values with one, at the end.
    form.addPostValue(QStringLiteral("again"), QStringLiteral("a"));
    form.setPostValue(QStringLiteral("only"), QStringLiteral("a"));
    ASSERT_EQ(form.postData().size(), 4);
    EXPECT_EQ(form.postData().last().key, QStringLiteral("a"));
    EXPECT_EQ(form.postData().last().value, QStringLiteral("only"));
}

TEST(VNFormDataBody, PercentEncodingKeepsOnlyLettersDigitsAndThreeMarks)
{
    VNFormDataBody form;
    EXPECT_EQ(form.encodeURL(QStringLiteral("AZaz09-._")), QStringLiteral("AZaz09-._"));
    EXPECT_EQ(form.encodeURL(QStringLiteral(":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`")),
              QStringLiteral("%3A%2F%3F%23%5B%5D%40%21%24%20%26%27%28%29%2A%2B%2C%3B%3D%22%3C%3E%25%7B%7D%7C%5C%5E%7E%60"));
    EXPECT_EQ(form.encodeURL(QStringLiteral("\u00e9\t")), QStringLiteral("%C3%A9%09"));
    form.setStringEncoding(QStringConverter::Latin1);
    EXPECT_EQ(form.encodeURL(QStringLiteral("\u00e9")), QStringLiteral("%E9"));
}

TEST(VNFormDataBody, MultipartBodyWithValuesAndAFileFromDiskIsExact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(writeFile(path, QByteArray("PNG\0\r\n--bytes", 14)));

    VNFormDataBody form;
    form.addPostValue(QStringLiteral("v1"), QStringLiteral("plain"));
    form.addPostValue(QStringLiteral("v2"), QStringLiteral("q\"uote\r\nX-Injected: 1"));
    EXPECT_FALSE(form.addFile(path, QStringLiteral("a\"b\nc.png"), QString(), QStringLiteral("up\"load")));
    form.addData(QByteArray("raw"), QStringLiteral("memo"));

    RecordingSink sink;
    form.buildPostBody(sink);
    EXPECT_TRUE(sink.streaming);
    EXPECT_EQ(form.postFormat(), VNFormDataBody::MultipartFormDataPostFormat);
    EXPECT_EQ(sink.filesRead, QStringList {path});
    const QString boundary = sink.boundary();
    ASSERT_TRUE(boundary.startsWith(QStringLiteral("0xKhTmLbOuNdArY-"))) << boundary.toStdString();
    EXPECT_EQ(sink.contentType(), QStringLiteral("multipart/form-data; charset=utf-8; boundary=") + boundary);

    const QByteArray b = boundary.toUtf8();
    const QByteArray expected = "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"plain\"\r\n\r\nv1"
        "\r\n--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"q%22uote%0D%0AX-Injected: 1\"\r\n\r\nv2"
        "\r\n--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"up%22load\"; filename=\"a%22b%0Ac.png\"\r\n"
        "Content-Type: image/png\r\n\r\n" + QByteArray("PNG\0\r\n--bytes", 14) +
        "\r\n--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"memo\"; filename=\"file\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\nraw"
        "\r\n--" + b + "--\r\n";
    EXPECT_EQ(sink.body, expected);

    // Every body gets a boundary of its own.
    RecordingSink second;
    form.buildMultipartFormDataPostBody(second);
    EXPECT_NE(second.boundary(), boundary);
}

TEST(VNFormDataBody, MultipartValuesOnlyEndWithoutATrailingSeparator)
{
    VNFormDataBody form;
    form.setPostFormat(VNFormDataBody::MultipartFormDataPostFormat);
    form.addPostValue(QStringLiteral("1"), QStringLiteral("a"));
    form.addPostValue(QStringLiteral("2"), QStringLiteral("b"));
    RecordingSink sink;
    form.buildPostBody(sink);
    EXPECT_FALSE(sink.streaming);
    const QByteArray b = sink.boundary().toUtf8();
    EXPECT_EQ(sink.body, "--" + b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--" + b
                  + "\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\n2\r\n--" + b + "--\r\n");

    RecordingSink empty;
    VNFormDataBody().buildPostBody(empty);
    EXPECT_TRUE(empty.headers.isEmpty());
    EXPECT_TRUE(empty.body.isEmpty());
}

TEST(VNFormDataBody, MissingFileOrFolderFailsWithCodeSixButIsKept)
{
    QTemporaryDir dir;
    VNFormDataBody form;
    const QString missing = dir.filePath(QStringLiteral("gone.txt"));
    for (const QString& path : {missing, dir.path()}) {
        const auto error = form.addFile(path, QStringLiteral("f"));
        ASSERT_TRUE(error) << path.toStdString();
        EXPECT_EQ(error->domain, QString::fromLatin1(VNHTTPRequestErrorDomain));
        EXPECT_EQ(error->code, 6);
        EXPECT_EQ(error->message, QStringLiteral("No file exists at ") + path);
    }
    EXPECT_EQ(form.fileData().size(), 2);

    // Defaults from the path; set replaces every file of the key.
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(writeFile(text, "n"));
    EXPECT_FALSE(form.setFile(text, QStringLiteral("f")));
    ASSERT_EQ(form.fileData().size(), 1);
    EXPECT_EQ(form.fileData()[0].fileName, QStringLiteral("notes.txt"));
    EXPECT_EQ(form.fileData()[0].contentType, QStringLiteral("text/plain"));
    const QString odd = dir.filePath(QStringLiteral("blob.qqqzz"));
    ASSERT_TRUE(writeFile(odd, "?"));
    EXPECT_FALSE(form.addFile(odd, QStringLiteral("g")));
    EXPECT_EQ(form.fileData()[1].contentType, QStringLiteral("application/octet-stream"));
}

TEST(VNFormDataBody, AFileTurnsAURLEncodedFormIntoMultipart)
{
    VNFormDataBody form;
    form.addPostValue(QStringLiteral("1"), QStringLiteral("a"));
    form.setData(QByteArray("x"), QStringLiteral("d.bin"), QStringLiteral("application/x-test"), QStringLiteral("d"));
    ASSERT_EQ(form.postFormat(), VNFormDataBody::URLEncodedPostFormat);
    RecordingSink sink;
    form.buildPostBody(sink);
    EXPECT_TRUE(sink.streaming);
    EXPECT_EQ(form.postFormat(), VNFormDataBody::MultipartFormDataPostFormat);
    EXPECT_TRUE(sink.contentType().startsWith(QStringLiteral("multipart/form-data; charset=utf-8; boundary=")));
    EXPECT_TRUE(sink.body.contains("Content-Type: application/x-test\r\n\r\nx\r\n--"));
}
