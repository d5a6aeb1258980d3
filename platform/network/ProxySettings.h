#pragma once

#include <QString>

namespace platform {

// A proxy for a stream. An HTTP proxy carries "http" URLs as whole-URL
// requests; an HTTPS proxy carries "https" URLs through a CONNECT tunnel;
// a SOCKS proxy (version 5, no authentication) carries either.
struct ProxySettings {
    enum class Type { None, HTTP, HTTPS, SOCKS };
    Type type = Type::None;
    QString host;
    int port = 0;

    bool isSet() const { return type != Type::None && !host.isEmpty() && port > 0; }
    QString key() const;
};

} // namespace platform
