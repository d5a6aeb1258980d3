#include "VNPACScriptRunner.h"

#include "platform/foundation/LoadableModule.h"

namespace {
using ScriptRunner = bool (*)(const QString& script, const QString& url, const QString& host, qint64 timeLimitMs,
    qint64 memoryLimit, QString* answer);

// The script engine is a module loaded by the first script that runs (see
// app/pacscript): its libraries stay out of every run that has no script.
ScriptRunner scriptRunner()
{
    static const ScriptRunner runner = reinterpret_cast<ScriptRunner>(
        platform::LoadableModule::resolve(QStringLiteral("libVelumoPACScript.so"), "velumoRunPACScript"));
    return runner;
}
} // namespace

std::optional<QList<VNProxy>> VNPACScriptRunner::proxiesForURL(const QString& script, const QUrl& url,
    std::chrono::milliseconds timeLimit)
{
    if (script.isEmpty() || script.size() > MaximumScriptLength || timeLimit.count() <= 0)
        return std::nullopt;
    const ScriptRunner run = scriptRunner();
    QString answer;
    // Without its engine no script can run: the same as a script that fails.
    if (!run || !run(script, url.toString(QUrl::FullyEncoded), url.host(), qint64(timeLimit.count()), MaximumScriptMemory, &answer))
        return std::nullopt;
    const QList<VNProxy> proxies = VNProxy::parsePACResult(answer);
    if (proxies.isEmpty())
        return std::nullopt;
    return proxies;
}
