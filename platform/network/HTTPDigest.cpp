#include "HTTPDigest.h"

#include <nettle/md5.h>

namespace platform {

namespace {

QString quoted(const QString& value)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

bool isSession(const QString& algorithm)
{
    return algorithm.compare(QStringLiteral("MD5-sess"), Qt::CaseInsensitive) == 0;
}

} // namespace

bool HTTPDigest::supportsAlgorithm(const QString& algorithm)
{
    return algorithm.isEmpty() || algorithm.compare(QStringLiteral("MD5"), Qt::CaseInsensitive) == 0 || isSession(algorithm);
}

QByteArray HTTPDigest::md5Hex(const QByteArray& data)
{
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, std::size_t(data.size()), reinterpret_cast<const uint8_t*>(data.constData()));
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&ctx, sizeof digest, digest);
    return QByteArray(reinterpret_cast<const char*>(digest), sizeof digest).toHex();
}

QByteArray HTTPDigest::response(const Input& in)
{
    QByteArray ha1 = md5Hex(in.user.toUtf8() + ':' + in.realm.toUtf8() + ':' + in.password.toUtf8());
    if (isSession(in.algorithm))
        ha1 = md5Hex(ha1 + ':' + in.nonce.toUtf8() + ':' + in.clientNonce.toUtf8());
    const QByteArray ha2 = md5Hex(in.method.toUtf8() + ':' + in.uri.toUtf8());
    if (in.qop.isEmpty())
        return md5Hex(ha1 + ':' + in.nonce.toUtf8() + ':' + ha2);
    const QByteArray nc = QByteArray::number(in.nonceCount, 16).rightJustified(8, '0');
    return md5Hex(ha1 + ':' + in.nonce.toUtf8() + ':' + nc + ':' + in.clientNonce.toUtf8() + ':' + in.qop.toUtf8() + ':' + ha2);
}

QString HTTPDigest::authorization(const Input& in)
{
    QString out = QStringLiteral("Digest username=%1, realm=%2, nonce=%3, uri=%4")
                      .arg(quoted(in.user), quoted(in.realm), quoted(in.nonce), quoted(in.uri));
    if (!in.algorithm.isEmpty())
        out += QStringLiteral(", algorithm=") + in.algorithm;
    out += QStringLiteral(", response=\"") + QString::fromLatin1(response(in)) + u'"';
    if (!in.opaque.isNull())
        out += QStringLiteral(", opaque=") + quoted(in.opaque);
    if (!in.qop.isEmpty()) {
        out += QStringLiteral(", qop=") + in.qop
            + QStringLiteral(", nc=") + QString::number(in.nonceCount, 16).rightJustified(8, u'0')
            + QStringLiteral(", cnonce=") + quoted(in.clientNonce);
    } else if (!in.clientNonce.isEmpty()) {
        out += QStringLiteral(", cnonce=") + quoted(in.clientNonce);
    }
    return out;
}

} // namespace platform
