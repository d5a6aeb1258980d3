#pragma once

#include <QString>

namespace platform {

// How a stream checks the server of an "https" URL, and who it says it is.
// By default the certificate chain must lead to a trusted root and the
// certificate must name the host of the URL.
struct TLSSettings {
    bool validatesCertificateChain = true;
    bool allowsExpiredCertificates = false;
    bool allowsAnyRoot = false;
    // With checksPeerName the certificate must name peerName, or the
    // URL's host when peerName is empty; without it any name will do.
    bool checksPeerName = true;
    QString peerName;
    // A client identity: a PEM file with the certificate followed by any
    // further certificates to send, and a PEM file with its private key.
    QString clientCertificateChainFile;
    QString clientPrivateKeyFile;
};

} // namespace platform
