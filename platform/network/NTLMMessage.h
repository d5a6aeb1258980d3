#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// The three messages of an NTLM exchange (negotiate, challenge,
// authenticate) and the version 2 responses, which prove the password
// without sending it. No session key is negotiated: these messages only
// authenticate an HTTP connection, they never sign or seal it.
class NTLMMessage {
public:
    enum Flag : quint32 {
        NegotiateUnicode = 0x00000001,
        NegotiateOEM = 0x00000002,
        RequestTarget = 0x00000004,
        NegotiateNTLM = 0x00000200,
        NegotiateAlwaysSign = 0x00008000,
        NegotiateExtendedSessionSecurity = 0x00080000,
        NegotiateTargetInfo = 0x00800000,
    };

    struct Challenge {
        quint32 flags = 0;
        QByteArray serverChallenge; // 8 bytes
        QString targetName;
        QByteArray targetInfo;      // the attribute-value pairs, as sent
    };

    struct Authentication {
        QString user;
        QString domain;
        QString password;
        QString workstation;
        QByteArray clientChallenge; // 8 bytes
        // Windows file time (100 ns since 1601) used when the server sends none.
        quint64 timestamp = 0;
    };

    // Flags this client asks for in the negotiate message.
    static quint32 negotiateFlags();
    static QByteArray negotiate();
    // Answers nothing for anything but a well-formed challenge message:
    // the bytes come from the network and every offset is checked.
    static std::optional<Challenge> parseChallenge(const QByteArray& message);
    // Empty when a field would not fit the message's 16-bit lengths.
    static QByteArray authenticate(const Challenge& challenge, const Authentication& with);

    // The pieces, for the tests that compare them with published values.
    static QByteArray ntHash(const QString& password);
    static QByteArray ntowfv2(const QString& password, const QString& user, const QString& domain);
    // NTProofStr followed by the client's blob.
    static QByteArray ntv2Response(const QByteArray& responseKey, const QByteArray& serverChallenge,
        const QByteArray& clientChallenge, quint64 timestamp, const QByteArray& targetInfo);
    static QByteArray lmv2Response(const QByteArray& responseKey, const QByteArray& serverChallenge,
        const QByteArray& clientChallenge);
    // The server's time stamp from the target information, if it sent one.
    static std::optional<quint64> timestamp(const QByteArray& targetInfo);
    static QByteArray hmacMD5(const QByteArray& key, const QByteArray& data);
};

} // namespace platform
