#include "HTTPMessage.h"

namespace platform {

const QString HTTPMessage::Version1_0 = QStringLiteral("HTTP/1.0");
const QString HTTPMessage::Version1_1 = QStringLiteral("HTTP/1.1");

HTTPMessage HTTPMessage::request(const QString& method, const QUrl& url, const QString& version)
{
    HTTPMessage m;
    m.m_isRequest = true;
    m.m_method = method;
    m.m_url = url;
    m.m_version = version;
    m.m_headerComplete = true;
    return m;
}

HTTPMessage HTTPMessage::response(int statusCode, const QString& statusLine, const QString& version)
{
    HTTPMessage m;
    m.m_statusCode = statusCode;
    m.m_statusLine = statusLine;
    m.m_version = version;
    return m;
}

bool HTTPMessage::setHeaderField(const QString& name, const QString& value)
{
    return m_fields.set(name, value);
}

bool HTTPMessage::addHeaderField(const QString& name, const QString& value)
{
    return m_fields.add(name, value);
}

void HTTPMessage::removeHeaderField(const QString& name)
{
    m_fields.remove(name);
}

QByteArray HTTPMessage::serializedHead(bool absoluteTarget) const
{
    QByteArray target;
    if (absoluteTarget) {
        target = m_url.toEncoded(QUrl::RemoveFragment | QUrl::RemoveUserInfo);
    } else {
        target = m_url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
        if (!target.startsWith('/'))
            target.prepend('/');
    }
    QByteArray out = m_method.toLatin1() + ' ' + target + ' ' + m_version.toLatin1() + "\r\n";
    if (!m_fields.contains(QStringLiteral("Host"))) {
        QByteArray host = m_url.host(QUrl::FullyEncoded).toLatin1();
        if (host.contains(':'))
            host = '[' + host + ']';
        if (m_url.port() != -1)
            host += ':' + QByteArray::number(m_url.port());
        out += "Host: " + host + "\r\n";
    }
    for (const auto& f : m_fields.fields())
        out += f.first.toLatin1() + ": " + f.second.toUtf8() + "\r\n";
    out += "\r\n";
    return out;
}

} // namespace platform
