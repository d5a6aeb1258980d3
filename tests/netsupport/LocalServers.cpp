#include "LocalServers.h"

#include "ServerWatchdog.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <tuple>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeFile(const QString& path, const QByteArray& content, QFile::Permissions permissions = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(content);
    file.close();
    if (permissions)
        file.setPermissions(permissions);
    return true;
}

bool portAccepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

QString findProgram(const QString& name)
{
    return QStandardPaths::findExecutable(name, { "/usr/sbin", "/usr/bin", "/sbin", "/bin" });
}

const QFile::Permissions everyoneReads = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
const QFile::Permissions everyoneRuns = everyoneReads | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

} // namespace

namespace {

LocalServers* s_instance = nullptr;

// Stops the servers while the test program still runs its event machinery.
class StopServers : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (s_instance)
            s_instance->stopAll();
    }
};

[[maybe_unused]] auto* s_environment = ::testing::AddGlobalTestEnvironment(new StopServers);

} // namespace

LocalServers& LocalServers::shared()
{
    static LocalServers servers;
    s_instance = &servers;
    return servers;
}

LocalServers::LocalServers()
{
    // Servers that drop their privileges must still reach their files.
    QFile::setPermissions(m_root.path(), everyoneRuns | QFile::WriteGroup | QFile::WriteOther);
}

LocalServers::~LocalServers()
{
    stopAll();
}

void LocalServers::stopAll()
{
    QList<QProcess*> processes { m_nginx, m_squid, m_dante };
    processes += m_schemeSquids.values();
    for (QProcess* process : processes) {
        if (!process)
            continue;
        const qint64 pid = process->processId();
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
        if (!process->waitForFinished(5000) && pid > 0) {
            ::kill(pid_t(pid), SIGKILL);
            process->waitForFinished(5000);
        }
        // Helpers and workers the server left behind.
        if (pid > 0) {
            ::kill(-pid_t(pid), SIGKILL);
            ServerWatchdog::shared().forget(pid_t(pid));
        }
        delete process;
    }
    m_nginx = m_squid = m_dante = nullptr;
    m_schemeSquids.clear();
    // The next start makes them anew (on new ports).
    m_nginxTried = m_squidTried = m_danteTried = false;
}

int LocalServers::freePort()
{
    // The system may offer a port it offered a moment ago, once the socket
    // that held it is closed; two servers of one run, or two listeners of
    // one server, given the same port would clash (nginx then takes a plain
    // listener for a TLS one). A port is handed out once per process.
    static std::mutex handedOutLock;
    static std::set<int> handedOut;
    const std::lock_guard<std::mutex> guard(handedOutLock);
    int port = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(fd);
        port = ntohs(address.sin_port);
        if (handedOut.insert(port).second)
            break;
    }
    return port;
}

QString LocalServers::dir(const QString& name) const
{
    const QString path = m_root.filePath(name);
    QDir().mkpath(path);
    QFile::setPermissions(path, everyoneRuns | QFile::WriteGroup | QFile::WriteOther);
    return path;
}

QString LocalServers::nginxAccessLogPath() const
{
    return m_root.filePath(QStringLiteral("nginx/access.log"));
}

QString LocalServers::certificateFile() const
{
    return m_root.filePath(QStringLiteral("nginx/cert.pem"));
}

QString LocalServers::clientCertificateFile() const
{
    return m_root.filePath(QStringLiteral("nginx/client.pem"));
}

QString LocalServers::clientKeyFile() const
{
    return m_root.filePath(QStringLiteral("nginx/client-key.pem"));
}

QString LocalServers::startProcess(const QString& name, const QString& program, const QStringList& arguments,
    const QList<int>& ports, QProcess*& process, const QString& logFile)
{
    process = new QProcess();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(logFile + QStringLiteral(".out"));
    // The server leads a process group of its own, with its helpers and
    // workers, so the watchdog can end them all should this process end
    // without stopping them.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    process->start(program, arguments);
    if (!process->waitForStarted(10000))
        return QStringLiteral("%1 did not start: %2").arg(name, process->errorString());
    if (!ServerWatchdog::shared().watch(pid_t(process->processId())))
        return QStringLiteral("%1 started, but no watchdog could be started to stop it should the tests end abruptly").arg(name);
    // Generous: the sanitizer build and a busy machine make starts slow.
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        if (process->state() != QProcess::Running)
            break;
        bool all = true;
        for (int port : ports)
            all = all && portAccepts(port);
        if (all)
            return QString();
        QThread::msleep(50);
    }
    QFile log(logFile);
    log.open(QIODevice::ReadOnly);
    QFile out(logFile + QStringLiteral(".out"));
    out.open(QIODevice::ReadOnly);
    return QStringLiteral("%1 is not listening on its ports; its log says:\n%2\n%3")
        .arg(name, QString::fromLocal8Bit(log.readAll().right(4000)), QString::fromLocal8Bit(out.readAll().right(4000)));
}

QString LocalServers::nginxDocumentPath(const QString& name) const
{
    return m_root.filePath(QStringLiteral("nginx/www/") + name);
}

QString LocalServers::startNginx()
{
    if (m_nginxTried)
        return m_nginxError;
    m_nginxTried = true;
    const QString nginx = findProgram(QStringLiteral("nginx"));
    const QString openssl = findProgram(QStringLiteral("openssl"));
    if (nginx.isEmpty() || openssl.isEmpty())
        return m_nginxError = QStringLiteral("nginx or openssl is not installed: run tools/setup-deps.sh (packages nginx, openssl)");
    const QString d = dir(QStringLiteral("nginx"));
    QDir(d).mkpath(QStringLiteral("www/list"));
    QDir(d).mkpath(QStringLiteral("www/private"));
    QDir(d).mkpath(QStringLiteral("tmp"));
    writeFile(d + "/www/hello.txt", "Hello from nginx\n", everyoneReads);
    QByteArray big;
    for (int i = 0; i < 4000; ++i)
        big += "line " + QByteArray::number(i) + " of a text that compresses well\n";
    writeFile(d + "/www/big.txt", big, everyoneReads);
    for (int i = 0; i < 5; ++i)
        writeFile(d + QStringLiteral("/www/list/file%1.txt").arg(i), "x", everyoneReads);
    writeFile(d + "/www/private/secret.txt", "the secret\n", everyoneReads);
    writeFile(d + "/htpasswd", (userName() + ":{PLAIN}" + password() + "\n").toUtf8(), everyoneReads);

    // The server's certificate, and one for a client; both self-signed.
    for (const auto& [name, subject, extension] : { std::tuple { QStringLiteral("cert"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("subjectAltName=IP:127.0.0.1") },
             std::tuple { QStringLiteral("client"), QStringLiteral("/CN=velumo-test-client"), QStringLiteral("extendedKeyUsage=clientAuth") } }) {
        const QString key = name == QStringLiteral("cert") ? d + "/key.pem" : d + "/client-key.pem";
        QProcess makeCert;
        makeCert.setProcessChannelMode(QProcess::MergedChannels);
        makeCert.start(openssl, { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                                    "-keyout", key, "-out", d + "/" + name + ".pem", "-days", "2", "-subj", subject, "-addext", extension });
        if (!makeCert.waitForFinished(60000) || makeCert.exitCode() != 0)
            return m_nginxError = QStringLiteral("could not make a test certificate: ") + QString::fromLocal8Bit(makeCert.readAll());
        QFile::setPermissions(key, everyoneReads);
    }

    m_nginxPort = freePort();
    m_nginxShortPort = freePort();
    m_nginxTLSPort = freePort();
    m_nginxClientPort = freePort();
    QByteArray redirects;
    for (int i = 1; i < 7; ++i)
        redirects += QStringLiteral("    location = /redirect/%1 { return 302 /redirect/%2; }\n").arg(i).arg(i + 1).toUtf8();
    redirects += "    location = /redirect/7 { return 302 /hello.txt; }\n";
    const QByteArray locations = "    root " + d.toUtf8() + "/www;\n"
        "    location = /post { return 200 \"posted\\n\"; }\n"
        "    location /list/ { autoindex on; }\n"
        "    location /private/ { auth_basic \"Velumo test\"; auth_basic_user_file " + d.toUtf8() + "/htpasswd; }\n"
        + redirects;
    QByteArray conf = "daemon off;\nmaster_process off;\nworker_processes 1;\n";
    if (::geteuid() == 0)
        conf += "user root;\n";
    conf += "pid " + d.toUtf8() + "/nginx.pid;\nerror_log " + d.toUtf8() + "/error.log warn;\n"
        "events { worker_connections 256; }\n"
        "http {\n"
        "  access_log " + d.toUtf8() + "/access.log;\n"
        "  client_body_temp_path " + d.toUtf8() + "/tmp/body;\n"
        "  proxy_temp_path " + d.toUtf8() + "/tmp/proxy;\n"
        "  fastcgi_temp_path " + d.toUtf8() + "/tmp/fastcgi;\n"
        "  uwsgi_temp_path " + d.toUtf8() + "/tmp/uwsgi;\n"
        "  scgi_temp_path " + d.toUtf8() + "/tmp/scgi;\n"
        "  types { text/plain txt; text/html html; }\n"
        "  default_type application/octet-stream;\n"
        "  gzip on; gzip_types text/plain; gzip_min_length 1;\n"
        "  server {\n    listen 127.0.0.1:" + QByteArray::number(m_nginxPort) + ";\n    keepalive_timeout 60s;\n" + locations + "  }\n"
        "  server {\n    listen 127.0.0.1:" + QByteArray::number(m_nginxShortPort) + ";\n    keepalive_timeout 1s;\n" + locations + "  }\n"
        "  server {\n    listen 127.0.0.1:" + QByteArray::number(m_nginxTLSPort) + " ssl;\n"
        "    ssl_certificate " + d.toUtf8() + "/cert.pem;\n    ssl_certificate_key " + d.toUtf8() + "/key.pem;\n"
        + locations + "  }\n"
        "  server {\n    listen 127.0.0.1:" + QByteArray::number(m_nginxClientPort) + " ssl;\n"
        "    ssl_certificate " + d.toUtf8() + "/cert.pem;\n    ssl_certificate_key " + d.toUtf8() + "/key.pem;\n"
        "    ssl_client_certificate " + d.toUtf8() + "/client.pem;\n    ssl_verify_client on;\n"
        + locations + "  }\n"
        "}\n";
    writeFile(d + "/nginx.conf", conf, everyoneReads);
    return m_nginxError = startProcess(QStringLiteral("nginx"), nginx,
               { "-p", d, "-c", d + "/nginx.conf", "-e", d + "/stderr.log" },
               { m_nginxPort, m_nginxShortPort, m_nginxTLSPort, m_nginxClientPort }, m_nginx, d + "/error.log");
}

QString LocalServers::startSquid()
{
    if (m_squidTried)
        return m_squidError;
    m_squidTried = true;
    const QString squid = findProgram(QStringLiteral("squid"));
    if (squid.isEmpty())
        return m_squidError = QStringLiteral("squid is not installed: run tools/setup-deps.sh (package squid)");
    const QString d = dir(QStringLiteral("squid"));
    const QByteArray realm = "Velumo proxy";
    // Helpers of our own: Basic checks the pair, Digest answers the
    // hash of user:realm:password, NTLM accepts whoever completes the
    // three messages (a stand-in that proves the exchange, not a check).
    writeFile(d + "/basic.sh",
        "#!/bin/sh\nwhile read -r user pass; do\n"
        "  if [ \"$user\" = \"" + userName().toUtf8() + "\" ] && [ \"$pass\" = \"" + password().toUtf8() + "\" ]; then echo OK; else echo ERR; fi\n"
        "done\n",
        everyoneRuns);
    writeFile(d + "/digest.sh",
        "#!/bin/sh\nwhile read -r line; do\n"
        "  user=$(echo \"$line\" | cut -d'\"' -f2)\n"
        "  if [ \"$user\" = \"" + userName().toUtf8() + "\" ]; then\n"
        "    printf 'OK ha1=\"%s\"\\n' \"$(printf '%s' \"$user:" + realm + ":" + password().toUtf8() + "\" | md5sum | cut -d' ' -f1)\"\n"
        "  else echo ERR; fi\n"
        "done\n",
        everyoneRuns);
    writeFile(d + "/ntlm.sh",
        "#!/bin/sh\nwhile read -r kind blob; do\n"
        "  case \"$kind\" in\n"
        "    YR) echo 'TT TlRMTVNTUAACAAAAAAAAACgAAAABggAAU3J2Tm9uY2UAAAAAAAAAAA==' ;;\n"
        "    KK) echo 'AF " + userName().toUtf8() + "' ;;\n"
        "    *) echo 'BH unknown request' ;;\n"
        "  esac\n"
        "done\n",
        everyoneRuns);
    m_squidPort = freePort();
    m_squidAuthPort = freePort();
    QByteArray conf = "http_port 127.0.0.1:" + QByteArray::number(m_squidPort) + " name=open\n"
        "http_port 127.0.0.1:" + QByteArray::number(m_squidAuthPort) + " name=auth\n"
        "pid_filename " + d.toUtf8() + "/squid.pid\n"
        "cache_log " + d.toUtf8() + "/cache.log\n"
        "access_log none\n"
        "cache deny all\n"
        "cache_mem 8 MB\n"
        "visible_hostname velumo-test\n"
        "dns_nameservers 127.0.0.1\n"
        "shutdown_lifetime 0 seconds\n"
        "coredump_dir " + d.toUtf8() + "\n"
        "auth_param basic program /bin/sh " + d.toUtf8() + "/basic.sh\n"
        "auth_param basic children 1 startup=1 idle=1\n"
        "auth_param basic realm " + realm + "\n"
        "auth_param digest program /bin/sh " + d.toUtf8() + "/digest.sh\n"
        "auth_param digest children 1 startup=1 idle=1\n"
        "auth_param digest realm " + realm + "\n"
        "auth_param ntlm program /bin/sh " + d.toUtf8() + "/ntlm.sh\n"
        "auth_param ntlm children 1 startup=1 idle=1\n"
        "acl localdst dst 127.0.0.0/8\n"
        "acl authport myportname auth\n"
        "acl authed proxy_auth REQUIRED\n"
        "http_access deny !localdst\n"
        "http_access allow authport authed\n"
        "http_access deny authport\n"
        "http_access allow all\n";
    if (::geteuid() == 0)
        conf += "cache_effective_user proxy\n";
    writeFile(d + "/squid.conf", conf, everyoneReads);
    writeFile(d + "/cache.log", "", everyoneReads | QFile::WriteGroup | QFile::WriteOther);
    return m_squidError = startProcess(QStringLiteral("squid"), squid, { "-N", "-f", d + "/squid.conf" },
               { m_squidPort, m_squidAuthPort }, m_squid, d + "/cache.log");
}

QString LocalServers::startDante()
{
    if (m_danteTried)
        return m_danteError;
    m_danteTried = true;
    const QString dante = findProgram(QStringLiteral("danted"));
    if (dante.isEmpty())
        return m_danteError = QStringLiteral("danted is not installed: run tools/setup-deps.sh (package dante-server)");
    const QString d = dir(QStringLiteral("dante"));
    m_dantePort = freePort();
    QByteArray conf = "logoutput: " + d.toUtf8() + "/danted.log\n"
        "internal: 127.0.0.1 port = " + QByteArray::number(m_dantePort) + "\n"
        "external: 127.0.0.1\n"
        "clientmethod: none\n"
        "socksmethod: none\n";
    if (::geteuid() == 0)
        conf += "user.privileged: root\nuser.unprivileged: nobody\n";
    // Only destinations on this machine are let through.
    conf += "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
            "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 command: connect }\n"
            "socks block { from: 0.0.0.0/0 to: 0.0.0.0/0 }\n";
    writeFile(d + "/danted.conf", conf, everyoneReads);
    return m_danteError = startProcess(QStringLiteral("dante"), dante,
               { "-f", d + "/danted.conf", "-p", d + "/danted.pid" }, { m_dantePort }, m_dante, d + "/danted.log");
}

QString LocalServers::startSquidForScheme(const QString& scheme)
{
    if (m_schemeSquidErrors.contains(scheme))
        return m_schemeSquidErrors.value(scheme);
    QString& error = m_schemeSquidErrors[scheme];
    const QString squid = findProgram(QStringLiteral("squid"));
    if (squid.isEmpty())
        return error = QStringLiteral("squid is not installed: run tools/setup-deps.sh (package squid)");
    const QString helpers = QStringLiteral("/usr/lib/squid/");
    const QString d = dir(QStringLiteral("squid-") + scheme);
    const QByteArray realm = "Velumo proxy";
    QByteArray authentication;
    if (scheme == QStringLiteral("basic")) {
        QProcess hash;
        hash.start(findProgram(QStringLiteral("openssl")), { "passwd", "-apr1", password() });
        if (!hash.waitForFinished(60000) || hash.exitCode() != 0)
            return error = QStringLiteral("could not hash the test password with openssl");
        writeFile(d + "/passwd", userName().toUtf8() + ":" + hash.readAllStandardOutput().trimmed() + "\n", everyoneReads);
        authentication = "auth_param basic program " + helpers.toUtf8() + "basic_ncsa_auth " + d.toUtf8() + "/passwd\n"
            "auth_param basic realm " + realm + "\n";
    } else if (scheme == QStringLiteral("digest")) {
        writeFile(d + "/passwd", userName().toUtf8() + ":" + password().toUtf8() + "\n", everyoneReads);
        authentication = "auth_param digest program " + helpers.toUtf8() + "digest_file_auth " + d.toUtf8() + "/passwd\n"
            "auth_param digest realm " + realm + "\n";
    } else if (scheme == QStringLiteral("ntlm")) {
        authentication = "auth_param ntlm program " + helpers.toUtf8() + "ntlm_fake_auth\n";
    } else {
        return error = QStringLiteral("no squid for the scheme ") + scheme;
    }
    const QString helper = helpers + (scheme == QStringLiteral("basic") ? "basic_ncsa_auth"
                                          : scheme == QStringLiteral("digest") ? "digest_file_auth" : "ntlm_fake_auth");
    if (!QFile::exists(helper))
        return error = helper + QStringLiteral(" is missing: run tools/setup-deps.sh (package squid)");
    const int port = freePort();
    QByteArray conf = "http_port 127.0.0.1:" + QByteArray::number(port) + "\n"
        "pid_filename " + d.toUtf8() + "/squid.pid\n"
        "cache_log " + d.toUtf8() + "/cache.log\n"
        "access_log none\n"
        "cache deny all\n"
        "cache_mem 8 MB\n"
        "visible_hostname velumo-test\n"
        "dns_nameservers 127.0.0.1\n"
        "shutdown_lifetime 0 seconds\n"
        "coredump_dir " + d.toUtf8() + "\n"
        + authentication
        + "auth_param " + scheme.toUtf8() + " children 1 startup=1 idle=1\n"
        "acl localdst dst 127.0.0.0/8\n"
        "acl authed proxy_auth REQUIRED\n"
        "http_access deny !localdst\n"
        "http_access allow authed\n"
        "http_access deny all\n";
    if (::geteuid() == 0)
        conf += "cache_effective_user proxy\n";
    writeFile(d + "/squid.conf", conf, everyoneReads);
    writeFile(d + "/cache.log", "", everyoneReads | QFile::WriteGroup | QFile::WriteOther);
    QProcess* process = nullptr;
    // A service name of its own keeps what it shares apart from the other
    // squids' (those of tests running beside this one too).
    error = startProcess(QStringLiteral("squid (") + scheme + u')', squid,
        { "-N", "-n", "velumo" + scheme + QString::number(::getpid()), "-f", d + "/squid.conf" }, { port }, process,
        d + "/cache.log");
    m_schemeSquids.insert(scheme, process);
    if (error.isEmpty())
        m_squidSchemePorts.insert(scheme, port);
    return error;
}
