#include "platform/network/NTLMMessage.h"

#include <QtEndian>

#include <gtest/gtest.h>

using namespace platform;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The published NTLMv2 example: user "User", domain "Domain", password
// "Password", server challenge 0123456789abcdef, client challenge aa x 8,
// time 0, and this challenge message from a server named "Server".
const QByteArray publishedChallenge = hex(
    "4e544c4d53535000 02000000 0c000c00 38000000 33828ae2 0123456789abcdef 0000000000000000"
    " 24002400 44000000 060070170000000f"
    " 530065007200760065007200"
    " 02000c0044006f006d00610069006e00 01000c0053006500720076006500720000000000");
const QByteArray publishedTargetInfo = hex("02000c0044006f006d00610069006e00 01000c00530065007200760065007200 00000000");
const QByteArray publishedNTProof = hex("68cd0ab851e51c96aabc927bebef6a1c");
const QByteArray publishedLMv2 = hex("86c35097ac9cec102554764a57cccc19 aaaaaaaaaaaaaaaa");

QByteArray fieldOf(const QByteArray& message, int at)
{
    const quint16 length = qFromLittleEndian<quint16>(message.constData() + at);
    const quint32 offset = qFromLittleEndian<quint32>(message.constData() + at + 4);
    return message.mid(offset, length);
}

QByteArray utf16(const char* text)
{
    QByteArray out;
    for (const char* p = text; *p; ++p) {
        out += *p;
        out += '\0';
    }
    return out;
}

} // namespace

TEST(NTLMMessage, KeysAndResponsesMatchPublishedValues)
{
    // NT hash (MD4), the v2 key (HMAC-MD5 over the upper-case user and the
    // domain) and the LMv2 response, from two published examples.
    struct Case {
        const char* user;
        const char* domain;
        const char* password;
        const char* ntHash;
        const char* key;
        const char* serverChallenge;
        const char* clientChallenge;
        const char* lmv2;
    };
    const Case cases[] = {
        { "User", "Domain", "Password", "a4f49c406510bdcab6824ee7c30fd852", "0c868a403bfd7a93a3001ef22ef02e3f",
            "0123456789abcdef", "aaaaaaaaaaaaaaaa", "86c35097ac9cec102554764a57cccc19aaaaaaaaaaaaaaaa" },
        { "user", "DOMAIN", "SecREt01", "cd06ca7c7e10c99b1d33b7485a2ed808", "04b8e0ba74289cc540826bab1dee63ae",
            "0123456789abcdef", "ffffff0011223344", "d6e6152ea25d03b7c6ba6629c2d6aaf0ffffff0011223344" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password);
        EXPECT_EQ(NTLMMessage::ntHash(c.password).toHex(), c.ntHash);
        const QByteArray key = NTLMMessage::ntowfv2(c.password, c.user, c.domain);
        EXPECT_EQ(key.toHex(), c.key);
        EXPECT_EQ(NTLMMessage::lmv2Response(key, hex(c.serverChallenge), hex(c.clientChallenge)).toHex(), c.lmv2);
    }

    const QByteArray key = NTLMMessage::ntowfv2("Password", "User", "Domain");
    const QByteArray nt = NTLMMessage::ntv2Response(key, hex("0123456789abcdef"), hex("aaaaaaaaaaaaaaaa"), 0, publishedTargetInfo);
    EXPECT_EQ(nt.left(16), publishedNTProof);
    EXPECT_EQ(nt.mid(16), hex("0101000000000000 0000000000000000 aaaaaaaaaaaaaaaa 00000000") + publishedTargetInfo + hex("00000000"));
    // The session base key of the example follows from the proof.
    EXPECT_EQ(NTLMMessage::hmacMD5(key, publishedNTProof).toHex(), "8de40ccadbc14a82f15cb0ad0de95ca3");
}

TEST(NTLMMessage, ReadsChallengeMessages)
{
    const auto published = NTLMMessage::parseChallenge(publishedChallenge);
    ASSERT_TRUE(published);
    EXPECT_EQ(published->flags, 0xe28a8233u);
    EXPECT_EQ(published->serverChallenge, hex("0123456789abcdef"));
    EXPECT_EQ(published->targetName, "Server");
    EXPECT_EQ(published->targetInfo, publishedTargetInfo);
    EXPECT_FALSE(NTLMMessage::timestamp(published->targetInfo));

    // A short message without target information (the test proxy's).
    const auto old = NTLMMessage::parseChallenge(QByteArray::fromBase64("TlRMTVNTUAACAAAAAAAAACgAAAABggAAU3J2Tm9uY2UAAAAAAAAAAA=="));
    ASSERT_TRUE(old);
    EXPECT_EQ(old->serverChallenge, "SrvNonce");
    EXPECT_TRUE(old->targetInfo.isEmpty());

    const auto withLength = [](QByteArray m, int at, quint16 length, quint32 offset) {
        qToLittleEndian<quint16>(length, m.data() + at);
        qToLittleEndian<quint16>(length, m.data() + at + 2);
        qToLittleEndian<quint32>(offset, m.data() + at + 4);
        return m;
    };
    QByteArray wrongType = publishedChallenge;
    wrongType[8] = 3;
    const QByteArray refused[] = {
        QByteArray(),
        publishedChallenge.left(31),
        "NTLMSSQ" + publishedChallenge.mid(7),
        wrongType,
        withLength(publishedChallenge, 40, 0x24, 0xfffffff0u),
        withLength(publishedChallenge, 40, 1, quint32(publishedChallenge.size())),
    };
    for (const QByteArray& message : refused) {
        SCOPED_TRACE(message.toHex().toStdString());
        EXPECT_FALSE(NTLMMessage::parseChallenge(message));
    }
    // A target name outside the message is ignored, not a reason to refuse:
    // squid's stand-in helper sends one.
    const auto nameless = NTLMMessage::parseChallenge(withLength(publishedChallenge, 12, 0xffff, 0x38));
    ASSERT_TRUE(nameless);
    EXPECT_TRUE(nameless->targetName.isEmpty());
    EXPECT_EQ(nameless->targetInfo, publishedTargetInfo);
    const auto squids = NTLMMessage::parseChallenge(QByteArray::fromBase64("TlRMTVNTUAACAAAACQAJAK6qqqoGgggAQKXkXlHRTS0AAAAAAAA6AFdPUktHUk9VUA=="));
    ASSERT_TRUE(squids);
    EXPECT_EQ(squids->serverChallenge, QByteArray::fromHex("40a5e45e51d14d2d"));

    // Every cut of the message is either refused or read within its bounds.
    for (qsizetype n = 0; n < publishedChallenge.size(); ++n)
        NTLMMessage::parseChallenge(publishedChallenge.left(n));
}

TEST(NTLMMessage, NegotiateAndAuthenticateMessagesCarryTheExchange)
{
    const QByteArray negotiate = NTLMMessage::negotiate();
    EXPECT_EQ(negotiate, hex("4e544c4d53535000 01000000 07820800 0000000000000000 0000000000000000"));

    const auto challenge = NTLMMessage::parseChallenge(publishedChallenge);
    ASSERT_TRUE(challenge);
    NTLMMessage::Authentication with;
    with.user = "User";
    with.domain = "Domain";
    with.password = "Password";
    with.workstation = "COMPUTER";
    with.clientChallenge = hex("aaaaaaaaaaaaaaaa");
    with.timestamp = 0;
    const QByteArray message = NTLMMessage::authenticate(*challenge, with);
    ASSERT_GE(message.size(), 64);
    EXPECT_EQ(message.left(12), hex("4e544c4d53535000 03000000"));
    EXPECT_EQ(fieldOf(message, 12), publishedLMv2);
    EXPECT_EQ(fieldOf(message, 20).left(16), publishedNTProof);
    EXPECT_EQ(fieldOf(message, 28), utf16("Domain"));
    EXPECT_EQ(fieldOf(message, 36), utf16("User"));
    EXPECT_EQ(fieldOf(message, 44), utf16("COMPUTER"));
    EXPECT_TRUE(fieldOf(message, 52).isEmpty());
    // Unicode and NTLM as the server offered; no key exchange, signing or sealing.
    const quint32 flags = qFromLittleEndian<quint32>(message.constData() + 60);
    EXPECT_EQ(flags & (NTLMMessage::NegotiateUnicode | NTLMMessage::NegotiateOEM), quint32(NTLMMessage::NegotiateUnicode));
    EXPECT_TRUE(flags & NTLMMessage::NegotiateNTLM);
    EXPECT_EQ(flags & 0x40000030u, 0u);
    // The payload follows the 64-byte header without gaps.
    EXPECT_EQ(message.size(), 64 + 24 + 16 + 28 + publishedTargetInfo.size() + 4 + 12 + 8 + 16);

    // A server that sends its time gets that time back and no LM response.
    NTLMMessage::Challenge timed = *challenge;
    timed.targetInfo = hex("0700 0800 0090d336b734c301") + publishedTargetInfo;
    const QByteArray timedMessage = NTLMMessage::authenticate(timed, with);
    EXPECT_EQ(fieldOf(timedMessage, 12), QByteArray(24, '\0'));
    EXPECT_EQ(fieldOf(timedMessage, 20).mid(24, 8), hex("0090d336b734c301"));

    // Without Unicode the names travel as 8-bit text.
    NTLMMessage::Challenge oem = *challenge;
    oem.flags &= ~quint32(NTLMMessage::NegotiateUnicode);
    EXPECT_EQ(fieldOf(NTLMMessage::authenticate(oem, with), 36), "User");

    // A target information block too large for the message is refused, not cut.
    NTLMMessage::Challenge huge = *challenge;
    huge.targetInfo = QByteArray(70000, 'x');
    EXPECT_TRUE(NTLMMessage::authenticate(huge, with).isEmpty());
}
