#pragma once

#include "VNProxy.h"

#include <QUrl>

#include <optional>

// The proxies the environment names for a URL: "http_proxy" for http,
// "https_proxy" for https (either in capitals too), unless the host is
// listed in "no_proxy" (comma-separated names or domain suffixes, "*" for
// all). An empty list means "go direct"; nothing at all means the
// setting could not be read.
class VNSystemProxySettings {
public:
    static std::optional<QList<VNProxy>> proxiesForURL(const QUrl& url);

    // The same rules over given values, for callers that hold them already.
    static std::optional<QList<VNProxy>> proxiesForURL(const QUrl& url, const QString& httpProxy,
        const QString& httpsProxy, const QString& noProxy);
};
