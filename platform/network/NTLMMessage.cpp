#include "NTLMMessage.h"

#include <nettle/hmac.h>
#include <nettle/md4.h>

#include <QtEndian>

namespace platform {

namespace {

const QByteArray signature("NTLMSSP\0", 8);
constexpr quint16 avEndOfList = 0;
constexpr quint16 avTimestamp = 7;

void putU16(QByteArray& out, quint16 value)
{
    out += char(value & 0xff);
    out += char(value >> 8);
}

void putU32(QByteArray& out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

void putU64(QByteArray& out, quint64 value)
{
    for (int i = 0; i < 8; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

quint16 u16At(const QByteArray& in, qsizetype at)
{
    return qFromLittleEndian<quint16>(in.constData() + at);
}

quint32 u32At(const QByteArray& in, qsizetype at)
{
    return qFromLittleEndian<quint32>(in.constData() + at);
}

QByteArray utf16le(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text)
        putU16(out, c.unicode());
    return out;
}

QString fromUtf16le(const QByteArray& bytes)
{
    QString out;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        out += QChar(u16At(bytes, i));
    return out;
}

// A security buffer (length, allocated length, offset) inside a message;
// nothing when it points outside the message.
std::optional<QByteArray> field(const QByteArray& message, qsizetype at)
{
    if (at + 8 > message.size())
        return std::nullopt;
    const quint32 length = u16At(message, at);
    const quint32 offset = u32At(message, at + 4);
    if (length == 0)
        return QByteArray();
    if (offset > quint32(message.size()) || length > quint32(message.size()) - offset)
        return std::nullopt;
    return message.mid(offset, length);
}

} // namespace

QByteArray NTLMMessage::hmacMD5(const QByteArray& key, const QByteArray& data)
{
    hmac_md5_ctx ctx;
    hmac_md5_set_key(&ctx, std::size_t(key.size()), reinterpret_cast<const uint8_t*>(key.constData()));
    hmac_md5_update(&ctx, std::size_t(data.size()), reinterpret_cast<const uint8_t*>(data.constData()));
    uint8_t digest[MD5_DIGEST_SIZE];
    hmac_md5_digest(&ctx, sizeof digest, digest);
    return QByteArray(reinterpret_cast<const char*>(digest), sizeof digest);
}

QByteArray NTLMMessage::ntHash(const QString& password)
{
    const QByteArray bytes = utf16le(password);
    md4_ctx ctx;
    md4_init(&ctx);
    md4_update(&ctx, std::size_t(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.constData()));
    uint8_t digest[MD4_DIGEST_SIZE];
    md4_digest(&ctx, sizeof digest, digest);
    return QByteArray(reinterpret_cast<const char*>(digest), sizeof digest);
}

QByteArray NTLMMessage::ntowfv2(const QString& password, const QString& user, const QString& domain)
{
    return hmacMD5(ntHash(password), utf16le(user.toUpper() + domain));
}

QByteArray NTLMMessage::ntv2Response(const QByteArray& responseKey, const QByteArray& serverChallenge,
    const QByteArray& clientChallenge, quint64 timestamp, const QByteArray& targetInfo)
{
    QByteArray blob;
    blob += char(1);
    blob += char(1);
    blob += QByteArray(6, '\0');
    putU64(blob, timestamp);
    blob += clientChallenge;
    blob += QByteArray(4, '\0');
    blob += targetInfo;
    blob += QByteArray(4, '\0');
    return hmacMD5(responseKey, serverChallenge + blob) + blob;
}

QByteArray NTLMMessage::lmv2Response(const QByteArray& responseKey, const QByteArray& serverChallenge,
    const QByteArray& clientChallenge)
{
    return hmacMD5(responseKey, serverChallenge + clientChallenge) + clientChallenge;
}

std::optional<quint64> NTLMMessage::timestamp(const QByteArray& targetInfo)
{
    // Bounded by the list's length: every pair moves at least four bytes on.
    for (qsizetype at = 0; at + 4 <= targetInfo.size();) {
        const quint16 id = u16At(targetInfo, at);
        const quint16 length = u16At(targetInfo, at + 2);
        if (id == avEndOfList || at + 4 + length > targetInfo.size())
            return std::nullopt;
        if (id == avTimestamp && length == 8)
            return qFromLittleEndian<quint64>(targetInfo.constData() + at + 4);
        at += 4 + length;
    }
    return std::nullopt;
}

quint32 NTLMMessage::negotiateFlags()
{
    return NegotiateUnicode | NegotiateOEM | RequestTarget | NegotiateNTLM | NegotiateAlwaysSign
        | NegotiateExtendedSessionSecurity;
}

QByteArray NTLMMessage::negotiate()
{
    // No domain or workstation is offered: both fields stay empty.
    QByteArray out = signature;
    putU32(out, 1);
    putU32(out, negotiateFlags());
    out += QByteArray(16, '\0');
    return out;
}

std::optional<NTLMMessage::Challenge> NTLMMessage::parseChallenge(const QByteArray& message)
{
    if (message.size() < 32 || !message.startsWith(signature) || u32At(message, 8) != 2)
        return std::nullopt;
    Challenge challenge;
    challenge.flags = u32At(message, 20);
    challenge.serverChallenge = message.mid(24, 8);
    // The target name only informs (the answer does not use it): one that
    // points outside the message, as some servers' stand-ins send, is left
    // empty rather than refusing the whole challenge.
    if (const auto name = field(message, 12))
        challenge.targetName = (challenge.flags & NegotiateUnicode) ? fromUtf16le(*name) : QString::fromLatin1(*name);
    // Older servers end the message before the target information.
    if (message.size() >= 48 && (challenge.flags & NegotiateTargetInfo)) {
        const auto info = field(message, 40);
        if (!info)
            return std::nullopt;
        challenge.targetInfo = *info;
    }
    return challenge;
}

QByteArray NTLMMessage::authenticate(const Challenge& challenge, const Authentication& with)
{
    const bool unicode = challenge.flags & NegotiateUnicode;
    const auto encode = [unicode](const QString& text) { return unicode ? utf16le(text) : text.toLatin1(); };
    const QByteArray key = ntowfv2(with.password, with.user, with.domain);
    const std::optional<quint64> serverTime = timestamp(challenge.targetInfo);
    const QByteArray nt = ntv2Response(key, challenge.serverChallenge, with.clientChallenge,
        serverTime.value_or(with.timestamp), challenge.targetInfo);
    // A server that sends its time expects no LM response.
    const QByteArray lm = serverTime ? QByteArray(24, '\0') : lmv2Response(key, challenge.serverChallenge, with.clientChallenge);

    const QByteArray domain = encode(with.domain);
    const QByteArray user = encode(with.user);
    const QByteArray workstation = encode(with.workstation);
    for (const QByteArray* piece : { &lm, &nt, &domain, &user, &workstation }) {
        if (piece->size() > 0xffff)
            return QByteArray();
    }
    const quint32 kept = NegotiateNTLM | NegotiateAlwaysSign | NegotiateExtendedSessionSecurity | NegotiateTargetInfo | RequestTarget;
    const quint32 flags = (challenge.flags & kept) | (unicode ? NegotiateUnicode : NegotiateOEM);

    constexpr quint32 headerSize = 64;
    QByteArray out = signature;
    putU32(out, 3);
    quint32 offset = headerSize;
    QByteArray payload;
    const auto addField = [&](const QByteArray& bytes) {
        putU16(out, quint16(bytes.size()));
        putU16(out, quint16(bytes.size()));
        putU32(out, offset);
        payload += bytes;
        offset += quint32(bytes.size());
    };
    addField(lm);
    addField(nt);
    addField(domain);
    addField(user);
    addField(workstation);
    addField(QByteArray()); // no session key
    putU32(out, flags);
    return out + payload;
}

} // namespace platform
