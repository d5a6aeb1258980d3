#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The Digest access response: the MD5 hashes of the credential, the
// server's nonce and the request, with or without a quality of protection.
class HTTPDigest {
public:
    struct Input {
        QString user;
        QString password;
        QString realm;
        QString nonce;
        QString method;
        QString uri;
        // "auth", or empty for a server that named no quality of protection.
        QString qop;
        // "MD5" (also when empty) or "MD5-sess".
        QString algorithm;
        QString clientNonce;
        quint32 nonceCount = 1;
        QString opaque;
    };

    // Whether an algorithm named by a server can be answered.
    static bool supportsAlgorithm(const QString& algorithm);
    // The lower-case hex response.
    static QByteArray response(const Input& input);
    // The whole field value: "Digest username=..., response=...".
    static QString authorization(const Input& input);
    static QByteArray md5Hex(const QByteArray& data);
};

} // namespace platform
