#pragma once

#include "HTTPHeaderFields.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace platform {

// An HTTP request or response: start line, header fields and, for a
// request, a body held in memory. A response built by a stream is
// incomplete until its whole header has arrived.
class HTTPMessage {
public:
    static const QString Version1_0;
    static const QString Version1_1;

    static HTTPMessage request(const QString& method, const QUrl& url, const QString& version = Version1_1);
    static HTTPMessage response(int statusCode, const QString& statusLine, const QString& version);

    bool isRequest() const { return m_isRequest; }
    QString method() const { return m_method; }
    QUrl url() const { return m_url; }
    QString version() const { return m_version; }
    int statusCode() const { return m_statusCode; }
    // The whole first line of a response, such as "HTTP/1.1 404 Not Found".
    QString statusLine() const { return m_statusLine; }

    // Answers false, changing nothing, for a name or value the message
    // refuses (see HTTPHeaderFields).
    bool setHeaderField(const QString& name, const QString& value);
    bool addHeaderField(const QString& name, const QString& value);
    void removeHeaderField(const QString& name);
    QString headerField(const QString& name) const { return m_fields.value(name); }
    const HTTPHeaderFields& headerFields() const { return m_fields; }

    QByteArray body() const { return m_body; }
    void setBody(const QByteArray& body) { m_body = body; }

    bool isHeaderComplete() const { return m_headerComplete; }
    void setHeaderComplete(bool complete) { m_headerComplete = complete; }

    // The request line and header as sent on the wire. Through a plain
    // proxy the target is the absolute URL; otherwise path and query. A
    // Host field is added when the caller set none.
    QByteArray serializedHead(bool absoluteTarget) const;

private:
    bool m_isRequest = false;
    QString m_method;
    QUrl m_url;
    QString m_version = Version1_1;
    int m_statusCode = 0;
    QString m_statusLine;
    HTTPHeaderFields m_fields;
    QByteArray m_body;
    bool m_headerComplete = false;
};

} // namespace platform
