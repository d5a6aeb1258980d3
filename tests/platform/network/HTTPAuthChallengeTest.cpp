#include "platform/network/HTTPAuthChallenge.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A challenge written as "Scheme token" or "Scheme name=value|name=value".
QString describe(const QList<HTTPAuthChallenge>& challenges)
{
    QStringList out;
    for (const HTTPAuthChallenge& c : challenges) {
        QStringList params;
        for (const auto& p : c.parameters)
            params << p.first + "=" + p.second;
        out << (c.scheme + " " + (c.token.isEmpty() ? params.join("|") : c.token)).trimmed();
    }
    return out.join(" ; ");
}

} // namespace

TEST(HTTPAuthChallenge, ReadsSchemesParametersAndTokens)
{
    struct Case {
        const char* field;
        const char* expected;
    };
    const Case cases[] = {
        { "Basic realm=\"Velumo test\"", "Basic realm=Velumo test" },
        // Commas inside quotes belong to the value; a word without "=" starts the next challenge.
        { "Digest realm=\"r\", nonce=\"n, with comma\", qop=\"auth,auth-int\", Basic realm=\"b\"",
            "Digest realm=r|nonce=n, with comma|qop=auth,auth-int ; Basic realm=b" },
        { "NTLM TlRMTVNTUAACAAAA==", "NTLM TlRMTVNTUAACAAAA==" },
        { "Negotiate, NTLM", "Negotiate ; NTLM" },
        { "NTLM abc=, Basic realm=x", "NTLM abc= ; Basic realm=x" },
        { "Basic realm=\"esc\\\"aped\\\\\"", "Basic realm=esc\"aped\\" },
        // Names ignore case; the first of a repeated name wins.
        { "Digest REALM=\"R\", realm=\"second\"", "Digest realm=R" },
        { ",,, Basic   realm = x ,", "Basic realm=x" },
        { "Basic realm=a/b, charset=UTF-8", "Basic realm=a/b|charset=UTF-8" },
        // Broken input: what cannot be read is skipped, the rest survives.
        { "Digest realm=\"unterminated", "Digest realm=unterminated" },
        { "", "" },
        { "=", "" },
        { "\"junk\", Basic realm=x", "Basic realm=x" },
        { "Basic ,=,=,", "Basic" },
        { "a=b=c", "a" },
        { "Basic realm=\"x\" trailing junk, Digest nonce=1", "Basic realm=x ; Digest nonce=1" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(describe(HTTPAuthChallenge::parse(QString::fromUtf8(c.field))), QString::fromUtf8(c.expected));
    }

    // Several fields read as one list, in order.
    const auto both = HTTPAuthChallenge::parse(QStringList { "Basic realm=a", "NTLM" });
    EXPECT_EQ(describe(both), "Basic realm=a ; NTLM");
    EXPECT_TRUE(both[1].isScheme("ntlm"));
    EXPECT_EQ(both[0].parameter("realm"), "a");
    EXPECT_TRUE(both[0].parameter("nonce").isNull());
}

TEST(HTTPAuthChallenge, AnyBytesEndWithoutHarm)
{
    // Every prefix of a tangled field, and a very long one: the reader must
    // end and never read past the text (the sanitizers watch).
    const QString tangled = QStringLiteral("Digest realm=\"a\\\"b\", ,nonce=\"x\" qop=auth ,, NTLM ==, \t\"=\\");
    for (qsizetype n = 0; n <= tangled.size(); ++n)
        HTTPAuthChallenge::parse(tangled.left(n));
    const auto many = HTTPAuthChallenge::parse(QString("Basic realm=x, ").repeated(5000));
    EXPECT_EQ(many.size(), 5000);
}
