#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

// The real servers the network tests talk to: nginx (plain, TLS with a
// certificate made here, gzip, basic authentication, a redirect chain,
// two keep-alive time-outs), squid (one open port; one that asks for
// Basic, Digest or NTLM credentials checked by our own helper scripts)
// and dante (SOCKS5). Each starts on first use, on free ports of
// 127.0.0.1, with its configuration in a temporary folder, and is stopped
// by its process id when the test binary ends; should the test binary end
// otherwise (a crash, a kill), a watchdog process stops them (see
// ServerWatchdog). A missing server program is reported (with what
// installs it) instead of skipping the test.
class LocalServers {
public:
    static LocalServers& shared();
    ~LocalServers();
    // Stops every server started (by its process id); a later start makes
    // it anew.
    void stopAll();

    // Each answers an empty string when the server is running, else why not.
    QString startNginx();
    QString startSquid();
    QString startDante();

    int nginxPort() const { return m_nginxPort; }
    // The folder nginx serves its plain and TLS ports from; a test may add
    // files of its own.
    QString nginxDocumentRoot() const { return m_root.filePath(QStringLiteral("nginx/www")); }
    int nginxShortKeepAlivePort() const { return m_nginxShortPort; }
    int nginxTLSPort() const { return m_nginxTLSPort; }
    // A TLS server that admits only clients showing the client certificate.
    int nginxClientCertificatePort() const { return m_nginxClientPort; }
    QString clientCertificateFile() const;
    QString clientKeyFile() const;
    // The self-signed certificate of the TLS server (also a usable trust anchor).
    QString certificateFile() const;
    // Where nginx's file of that name is (a test may add files there too).
    QString nginxDocumentPath(const QString& name) const;
    // nginx's access log (one line per request, in its usual "combined" form).
    QString nginxAccessLogPath() const;
    int squidPort() const { return m_squidPort; }
    int squidAuthPort() const { return m_squidAuthPort; }
    int dantePort() const { return m_dantePort; }

    // A squid of its own for one scheme ("basic", "digest" or "ntlm"),
    // checking credentials with the helper programs squid ships: the
    // password file helper, the digest file helper and the NTLM stand-in
    // that lets in whoever completes the three messages. One scheme per
    // proxy, so a client that prefers another cannot pick it. Answers an
    // empty string when it runs (its port: squidSchemePort()), else why not.
    QString startSquidForScheme(const QString& scheme);
    int squidSchemePort(const QString& scheme) const { return m_squidSchemePorts.value(scheme); }

    // The Basic credentials that nginx's protected folder and squid's
    // authenticating port accept.
    static QString userName() { return QStringLiteral("velumo"); }
    static QString password() { return QStringLiteral("s3cret"); }

    static int freePort();

private:
    LocalServers();
    QString startProcess(const QString& name, const QString& program, const QStringList& arguments,
        const QList<int>& ports, QProcess*& process, const QString& logFile);
    QString dir(const QString& name) const;

    QTemporaryDir m_root;
    QProcess* m_nginx = nullptr;
    QProcess* m_squid = nullptr;
    QProcess* m_dante = nullptr;
    QString m_nginxError, m_squidError, m_danteError;
    bool m_nginxTried = false, m_squidTried = false, m_danteTried = false;
    int m_nginxPort = 0, m_nginxShortPort = 0, m_nginxTLSPort = 0, m_nginxClientPort = 0;
    int m_squidPort = 0, m_squidAuthPort = 0, m_dantePort = 0;
    QMap<QString, QProcess*> m_schemeSquids;
    QMap<QString, QString> m_schemeSquidErrors;
    QMap<QString, int> m_squidSchemePorts;
};
