#pragma once

#include <QString>

#include <functional>
#include <optional>

// Where a log call was made, filled in at the caller like a source location
// (written with the compiler built-ins so every supported compiler takes it).
struct DebugCallSite {
    const char* file;
    const char* function;
    int line;
    static constexpr DebugCallSite current(const char* file = __builtin_FILE(),
                                           const char* function = __builtin_FUNCTION(),
                                           int line = __builtin_LINE())
    {
        return {file, function, line};
    }
};

// Logging and checks of the frameworks. Lines read
// "{File.cpp function 120}:ERR message" and go to a configured output
// function, else to the system log. Nothing is ever written to a file.
class Debug {
public:
    enum class Level : int { VBO = 1, INF = 2, TRK = 3, WRN = 4, ERR = 5, MAX = 6 };

    using MessageProducer = std::function<QString()>;
    // Meant never to return: it ends the process.
    using PreconditionFailureFunction = std::function<void(const MessageProducer&, const char* file, unsigned line)>;
    using OutputMessageFunction = std::function<void(Level, const QString&)>;

    Debug() = delete;

    static std::optional<Level> levelFromRaw(int raw);
    static QString levelName(Level level);

    // The call site is filled in by default; tests and callers by name pass
    // file, function and line themselves.
    static void v(const QString& message, DebugCallSite at = DebugCallSite::current());
    static void i(const QString& message, DebugCallSite at = DebugCallSite::current());
    static void t(const QString& message, DebugCallSite at = DebugCallSite::current());
    static void w(const QString& message, DebugCallSite at = DebugCallSite::current());
    static void e(const QString& message, DebugCallSite at = DebugCallSite::current());
    static void errorMessage(const QString& message = QStringLiteral("*** Error Got ***"),
                             DebugCallSite at = DebugCallSite::current());
    static void verify(bool condition, const QString& message = QStringLiteral("Verify failed."),
                       DebugCallSite at = DebugCallSite::current());
    static void showFunctionEnter(const QString& message = QString(),
                                  DebugCallSite at = DebugCallSite::current());
    static void showFunctionLeave(const QString& message = QString(),
                                  DebugCallSite at = DebugCallSite::current());

    // The same with an explicit call site.
    static void log(Level level, const QString& message, const char* file, const QString& function, int line);
    static void output(Level level, const QString& message, const char* file, const QString& function, int line);
    static void verify(bool condition, const QString& message, const char* file, const QString& function, int line);
    static void showFunctionEnterOrLeave(bool enter, const QString& message, const char* file,
                                         const QString& function, int line);

    static void doCustomConfigOneTime(Level debugLevel = Level::INF,
                                      Level debugLevelOfShowLeaveFunction = Level::VBO,
                                      PreconditionFailureFunction preconditionFailureFunction = {},
                                      OutputMessageFunction outputMessageFunction = {},
                                      bool enableDebugMessage = true);

    template <typename T>
    static void unused(const T&) {}
    static void FIXME() {}
    static void FIXME_ASAP() {}

    // Read-only view of the settings (for the state line).
    static bool enableDebugMessage();
    static Level debugLevel();
    static Level debugLevelOfShowLeaveFunction();
    static bool hasPreconditionFailureFunction();
    static bool hasOutputMessageFunction();

    static bool shouldPrintMessage(Level level);
    static QString composeDetailedMessage(Level level, const QString& message, const char* file,
                                          const QString& function, int line);

    // Back to the unconfigured defaults. Only for tests: the program
    // configures the facility at most once.
    static void resetForTesting();

private:
    static void printMessage(Level level, const QString& text);
};
