// Arbitrary bytes as a server's authentication challenge. The first byte
// picks what they are: the text of "WWW-Authenticate" fields (lines), or
// an NTLM challenge message. Either way the client reads it, answers it
// and, for NTLM, the answer must be well formed or absent.
#include "platform/network/HTTPAuthentication.h"
#include "platform/network/NTLMMessage.h"

#include <cstdint>
#include <cstdlib>

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const HTTPCredential who { QStringLiteral("user"), QStringLiteral("password"), QStringLiteral("DOMAIN") };
    if (data[0] % 2 == 0) {
        HTTPMessage response = HTTPMessage::response(data[0] % 4 == 0 ? 401 : 407, QStringLiteral("HTTP/1.1 401 x"), HTTPMessage::Version1_1);
        for (const QByteArray& line : rest.split('\n'))
            response.addHeaderField(data[0] % 4 == 0 ? QStringLiteral("WWW-Authenticate") : QStringLiteral("Proxy-Authenticate"),
                QString::fromLatin1(line));
        HTTPAuthChallenge::parse(response.headerFields().values(QStringLiteral("WWW-Authenticate")));
        if (auto auth = HTTPAuthentication::create(response)) {
            HTTPMessage request = HTTPMessage::request(QStringLiteral("GET"), QUrl(QStringLiteral("http://127.0.0.1/a?b")));
            auth->apply(request, who);
            auth->update(response);
            auth->apply(request, who);
        }
        return 0;
    }
    if (const auto challenge = NTLMMessage::parseChallenge(rest)) {
        NTLMMessage::Authentication with;
        with.user = who.user;
        with.domain = who.domain;
        with.password = who.password;
        with.clientChallenge = QByteArray(8, 'c');
        const QByteArray message = NTLMMessage::authenticate(*challenge, with);
        if (!message.isEmpty() && message.size() < 64)
            std::abort();
    }
    return 0;
}
