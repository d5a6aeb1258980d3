#pragma once

#include <QList>
#include <QString>

// One proxy a request may go through; an empty host means "go direct".
struct VNProxy {
    // The proxy types a request accepts in its proxyType.
    static const QString TypeHTTP;
    static const QString TypeHTTPS;
    static const QString TypeSOCKS;

    QString host;
    int port = 0;
    QString type;

    bool isDirect() const { return host.isEmpty(); }
    bool operator==(const VNProxy&) const = default;

    // The entries of a proxy auto-configuration answer such as
    // "PROXY a:8080; SOCKS b:1080; DIRECT", in order; unreadable entries
    // are left out.
    static QList<VNProxy> parsePACResult(const QString& result);
};
