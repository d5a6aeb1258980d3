#include "VNCookieModule.h"

#include "VNCookieJar.h"

#include "platform/foundation/LoadableModule.h"

namespace {
using Parser = bool (*)(const QStringList& values, const QUrl& url, QList<VNHTTPCookie>* cookies);
using JarFactory = VNCookieJar* (*)();

Parser parser()
{
    static const Parser parse = reinterpret_cast<Parser>(
        platform::LoadableModule::resolve(VNCookieModule::fileName(), "velumoParseSetCookieValues"));
    return parse;
}

JarFactory jarFactory()
{
    static const JarFactory create = reinterpret_cast<JarFactory>(
        platform::LoadableModule::resolve(VNCookieModule::fileName(), "velumoCreateCookieJar"));
    return create;
}
} // namespace

QString VNCookieModule::fileName()
{
    return QStringLiteral("libVelumoCookies.so");
}

std::optional<QList<VNHTTPCookie>> VNCookieModule::parseSetCookieValues(const QStringList& values, const QUrl& url)
{
    QList<VNHTTPCookie> cookies;
    const Parser parse = parser();
    if (!parse || !parse(values, url, &cookies))
        return std::nullopt;
    return cookies;
}

std::unique_ptr<VNCookieJar> VNCookieModule::createJar()
{
    const JarFactory create = jarFactory();
    return std::unique_ptr<VNCookieJar>(create ? create() : nullptr);
}
