#include "Debug.h"

#include "platform/foundation/Bundle.h"

#include <QByteArray>
#include <mutex>
#include <syslog.h>

namespace {

struct Settings {
    bool enableDebugMessage = true;
    Debug::Level debugLevel = Debug::Level::INF;
    Debug::Level debugLevelOfShowLeaveFunction = Debug::Level::VBO;
    Debug::PreconditionFailureFunction preconditionFailureFunction;
    Debug::OutputMessageFunction outputMessageFunction;
    bool configured = false;
};

Settings& settings()
{
    static Settings s; // initialised once, thread-safely, on first use
    return s;
}

// The system log stands in for the platform's unified log: the program's
// identifier names the source, and every line carries the category.
void openSystemLog()
{
    static std::once_flag once;
    static QByteArray ident;
    std::call_once(once, [] {
        QString id = platform::Bundle::identifier();
        if (id.isEmpty())
            id = QStringLiteral("com.vantrell.vtrfoundation");
        ident = id.toUtf8();
        openlog(ident.constData(), LOG_PID, LOG_USER);
    });
}

int syslogPriority(Debug::Level level)
{
    switch (level) {
    case Debug::Level::VBO: return LOG_DEBUG;
    case Debug::Level::INF: return LOG_INFO;
    case Debug::Level::TRK: return LOG_NOTICE;
    case Debug::Level::WRN: return LOG_ERR;
    case Debug::Level::ERR:
    case Debug::Level::MAX: return LOG_CRIT;
    }
    return LOG_NOTICE;
}

QString lastPathComponent(const char* file)
{
    const QString path = QString::fromUtf8(file ? file : "");
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString functionText(const DebugCallSite& at)
{
    return QString::fromUtf8(at.function);
}

} // namespace

std::optional<Debug::Level> Debug::levelFromRaw(int raw)
{
    if (raw < 1 || raw > 6)
        return std::nullopt;
    return static_cast<Level>(raw);
}

QString Debug::levelName(Level level)
{
    switch (level) {
    case Level::VBO: return QStringLiteral("VBO");
    case Level::INF: return QStringLiteral("INF");
    case Level::TRK: return QStringLiteral("TRK");
    case Level::WRN: return QStringLiteral("WRN");
    case Level::ERR: return QStringLiteral("ERR");
    case Level::MAX: return QStringLiteral("MAX");
    }
    return QString();
}

bool Debug::enableDebugMessage() { return settings().enableDebugMessage; }
Debug::Level Debug::debugLevel() { return settings().debugLevel; }
Debug::Level Debug::debugLevelOfShowLeaveFunction() { return settings().debugLevelOfShowLeaveFunction; }
bool Debug::hasPreconditionFailureFunction() { return bool(settings().preconditionFailureFunction); }
bool Debug::hasOutputMessageFunction() { return bool(settings().outputMessageFunction); }

bool Debug::shouldPrintMessage(Level level)
{
    const Settings& s = settings();
    return s.enableDebugMessage && level != Level::MAX && int(level) >= int(s.debugLevel);
}

QString Debug::composeDetailedMessage(Level level, const QString& message, const char* file,
                                      const QString& function, int line)
{
    const QString fileName = lastPathComponent(file);
    if (fileName.isEmpty() && function.isEmpty() && line == 0)
        return message;
    return QStringLiteral("{%1 %2 %3}:%4 %5").arg(fileName, function, QString::number(line), levelName(level), message);
}

void Debug::printMessage(Level level, const QString& text)
{
    const Settings& s = settings();
    if (s.outputMessageFunction) {
        s.outputMessageFunction(level, text);
        return;
    }
    openSystemLog();
    syslog(syslogPriority(level), "[VTRMSG] %s", text.toUtf8().constData());
}

void Debug::log(Level level, const QString& message, const char* file, const QString& function, int line)
{
    if (!shouldPrintMessage(level))
        return;
    printMessage(level, composeDetailedMessage(level, message, file, function, line));
}

void Debug::output(Level level, const QString& message, const char* file, const QString& function, int line)
{
    if (!shouldPrintMessage(level))
        return;
    printMessage(level, composeDetailedMessage(level, message, file, function, line));
    const Settings& s = settings();
    if (level == Level::ERR && s.preconditionFailureFunction)
        s.preconditionFailureFunction([] { return QStringLiteral("Precondition Failure."); }, file, unsigned(line));
}

void Debug::verify(bool condition, const QString& message, const char* file, const QString& function, int line)
{
    if (!condition)
        output(Level::ERR, message, file, function, line);
}

void Debug::showFunctionEnterOrLeave(bool enter, const QString& message, const char* file,
                                     const QString& function, int line)
{
    const Level level = settings().debugLevelOfShowLeaveFunction;
    if (!shouldPrintMessage(level))
        return;
    const QString head = composeDetailedMessage(level, QString(), file, function, line);
    QString body = (enter ? QStringLiteral("+Enter function:") : QStringLiteral("-Leave function:"))
                   + QLatin1Char(' ') + function;
    if (!message.isEmpty())
        body += QStringLiteral(", ") + message;
    output(level, head + body, "", QString(), 0);
}

void Debug::v(const QString& m, DebugCallSite at) { log(Level::VBO, m, at.file, functionText(at), at.line); }
void Debug::i(const QString& m, DebugCallSite at) { log(Level::INF, m, at.file, functionText(at), at.line); }
void Debug::t(const QString& m, DebugCallSite at) { log(Level::TRK, m, at.file, functionText(at), at.line); }
void Debug::w(const QString& m, DebugCallSite at) { log(Level::WRN, m, at.file, functionText(at), at.line); }
void Debug::e(const QString& m, DebugCallSite at) { output(Level::ERR, m, at.file, functionText(at), at.line); }

void Debug::errorMessage(const QString& m, DebugCallSite at)
{
    output(Level::ERR, m, at.file, functionText(at), at.line);
}

void Debug::verify(bool condition, const QString& m, DebugCallSite at)
{
    verify(condition, m, at.file, functionText(at), at.line);
}

void Debug::showFunctionEnter(const QString& m, DebugCallSite at)
{
    showFunctionEnterOrLeave(true, m, at.file, functionText(at), at.line);
}

void Debug::showFunctionLeave(const QString& m, DebugCallSite at)
{
    showFunctionEnterOrLeave(false, m, at.file, functionText(at), at.line);
}

void Debug::doCustomConfigOneTime(Level debugLevel, Level debugLevelOfShowLeaveFunction,
                                  PreconditionFailureFunction preconditionFailureFunction,
                                  OutputMessageFunction outputMessageFunction, bool enableDebugMessage)
{
    Settings& s = settings();
    if (!s.configured) {
        s.enableDebugMessage = enableDebugMessage;
        s.debugLevel = debugLevel;
        s.debugLevelOfShowLeaveFunction = debugLevelOfShowLeaveFunction;
        s.preconditionFailureFunction = std::move(preconditionFailureFunction);
        s.outputMessageFunction = std::move(outputMessageFunction);
        s.configured = true;
        return;
    }
    // Announced without the filter: these go out even with logging switched off.
    printMessage(Level::TRK, QStringLiteral("*** PROMPT ***: You have already configured this DebugModule. This calling is ignored..."));
    printMessage(Level::TRK, QStringLiteral("*** PROMPT ***: Please make sure you just call doCustomConfigOneTime() only one time or zero time in your app."));
    printMessage(Level::TRK, QStringLiteral("*** PROMPT ***: And NO NEED TO call doCustomConfigOneTime() in embeded frameworks."));
}

void Debug::resetForTesting()
{
    settings() = Settings();
}
