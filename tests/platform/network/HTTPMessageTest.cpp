#include "platform/network/HTTPMessage.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(HTTPMessage, HeaderFieldsKeepOrderAndIgnoreCase)
{
    HTTPMessage m = HTTPMessage::request("GET", QUrl("http://127.0.0.1:8080/a/b?x=1#frag"));
    EXPECT_TRUE(m.setHeaderField("Accept", "text/plain"));
    EXPECT_TRUE(m.setHeaderField("X-One", "1"));
    EXPECT_TRUE(m.setHeaderField("accept", "text/html"));
    EXPECT_EQ(m.headerField("ACCEPT"), "text/html");
    ASSERT_EQ(m.headerFields().size(), 2);
    EXPECT_EQ(m.headerFields().fields()[0].first, "Accept");
    m.removeHeaderField("x-one");
    EXPECT_FALSE(m.headerFields().contains("X-One"));

    EXPECT_EQ(m.serializedHead(false), "GET /a/b?x=1 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nAccept: text/html\r\n\r\n");
    EXPECT_EQ(m.serializedHead(true), "GET http://127.0.0.1:8080/a/b?x=1 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nAccept: text/html\r\n\r\n");

    // Without a path the target still starts at the root.
    EXPECT_TRUE(HTTPMessage::request("GET", QUrl("http://127.0.0.1?q=1")).serializedHead(false).startsWith("GET /?q=1 HTTP/1.1\r\n"));
    EXPECT_TRUE(HTTPMessage::request("HEAD", QUrl("http://127.0.0.1")).serializedHead(false).startsWith("HEAD / HTTP/1.1\r\nHost: 127.0.0.1\r\n"));

    // A repeated response field reads as one joined value.
    HTTPMessage r = HTTPMessage::response(200, "HTTP/1.1 200 OK", HTTPMessage::Version1_1);
    r.addHeaderField("Set-Cookie", "a=1");
    r.addHeaderField("set-cookie", "b=2");
    EXPECT_EQ(r.headerField("Set-Cookie"), "a=1, b=2");
}

TEST(HTTPMessage, RefusesFieldsThatCouldSplitTheMessage)
{
    struct Case {
        QString name;
        QString value;
    };
    const Case refused[] = {
        { "X-Evil", "a\r\nInjected: yes" },
        { "X-Evil", "a\nb" },
        { "X-Evil", "a\rb" },
        { "X-Evil", QString("a") + QChar(0) + "b" },
        { "X\r\nInjected", "v" },
        { "X Evil", "v" },
        { "X:Evil", "v" },
        { "", "v" },
        { QString("X") + QChar(0), "v" },
    };
    for (const Case& c : refused) {
        HTTPMessage m = HTTPMessage::request("GET", QUrl("http://127.0.0.1/"));
        EXPECT_FALSE(m.setHeaderField(c.name, c.value)) << c.name.toStdString() << ": " << c.value.toStdString();
        EXPECT_TRUE(m.headerFields().isEmpty());
        EXPECT_FALSE(m.serializedHead(false).contains("Injected"));
    }
}
