// The script engine behind VNPACScriptRunner, in a module of its own
// (libVelumoPACScript.so): the engine's libraries are large, few users
// ever have a proxy auto-configuration script, and so start-up does not
// load them; the first script to run does.
#include <QFile>
#include <QJSEngine>
#include <QJSValue>
#include <QString>
#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace {
// The helper functions scripts expect. Those that would look a name up
// answer only for address literals, so a script cannot reach a resolver.
const char* const Helpers = R"JS(
function isPlainHostName(host) { return String(host).indexOf('.') < 0; }
function dnsDomainIs(host, domain) {
    host = String(host).toLowerCase(); domain = String(domain).toLowerCase();
    return host.length >= domain.length && host.substring(host.length - domain.length) == domain;
}
function localHostOrDomainIs(host, hostdom) {
    host = String(host).toLowerCase(); hostdom = String(hostdom).toLowerCase();
    return host == hostdom || hostdom.lastIndexOf(host + '.', 0) == 0;
}
function __isIPv4(s) { return /^(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})$/.test(String(s)); }
function dnsResolve(host) { return __isIPv4(host) ? String(host) : null; }
function isResolvable(host) { return __isIPv4(host); }
function myIpAddress() { return '127.0.0.1'; }
function dnsDomainLevels(host) { return String(host).split('.').length - 1; }
function __ipNumber(s) {
    var p = String(s).split('.'); if (p.length != 4) return null;
    var n = 0; for (var i = 0; i < 4; ++i) { var v = parseInt(p[i], 10); if (isNaN(v) || v < 0 || v > 255) return null; n = n * 256 + v; }
    return n;
}
function isInNet(host, pattern, mask) {
    var h = __ipNumber(dnsResolve(host)), p = __ipNumber(pattern), m = __ipNumber(mask);
    if (h === null || p === null || m === null) return false;
    for (var bit = 0x80000000, i = 0; i < 32; ++i, bit /= 2) {
        if (Math.floor(m / bit) % 2 == 1 && Math.floor(h / bit) % 2 != Math.floor(p / bit) % 2) return false;
    }
    return true;
}
function shExpMatch(str, shexp) {
    var re = '^' + String(shexp).replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.') + '$';
    return new RegExp(re).test(String(str));
}
function weekdayRange() { return true; }
function dateRange() { return true; }
function timeRange() { return true; }
)JS";

// The process's resident size in bytes (0 when unknown).
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

// Interrupts the engine when the time is up or the process has grown past
// the memory bound, unless told the run ended. Growth is looked at often
// enough that a script filling memory as fast as it can is stopped within
// a few megabytes of the bound.
class Watchdog {
public:
    Watchdog(QJSEngine& engine, std::chrono::milliseconds limit, qint64 memoryLimit)
        : m_thread([this, &engine, limit, memoryLimit] {
            const auto deadline = std::chrono::steady_clock::now() + limit;
            const qint64 baseline = residentBytes();
            std::unique_lock lock(m_lock);
            while (!m_finished) {
                if (std::chrono::steady_clock::now() >= deadline
                    || (baseline > 0 && residentBytes() - baseline > memoryLimit)) {
                    engine.setInterrupted(true);
                    return;
                }
                m_done.wait_for(lock, std::chrono::milliseconds(5));
            }
        })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_lock);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};
} // namespace

// Runs the script's FindProxyForURL for the URL and host; true with its
// answer (a string) in *answer, false when the script fails, throws, runs
// past the time limit, grows the process past the memory limit or answers
// no string. The limits are the caller's; nothing here is unbounded.
extern "C" Q_DECL_EXPORT bool velumoRunPACScript(const QString& script, const QString& url, const QString& host,
    qint64 timeLimitMs, qint64 memoryLimit, QString* answer)
{
    if (!answer || script.isEmpty() || timeLimitMs <= 0 || memoryLimit <= 0)
        return false;
    QJSEngine engine;
    QJSValue result;
    {
        Watchdog watchdog(engine, std::chrono::milliseconds(timeLimitMs), memoryLimit);
        engine.evaluate(QString::fromLatin1(Helpers));
        const QJSValue loaded = engine.evaluate(script);
        if (loaded.isError() || engine.isInterrupted())
            return false;
        QJSValue find = engine.globalObject().property(QStringLiteral("FindProxyForURL"));
        if (!find.isCallable())
            return false;
        result = find.call({ QJSValue(url), QJSValue(host) });
        if (engine.isInterrupted())
            return false;
    }
    if (result.isError() || !result.isString())
        return false;
    *answer = result.toString();
    return true;
}
