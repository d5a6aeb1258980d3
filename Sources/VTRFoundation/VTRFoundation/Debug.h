#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <source_location>

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
    static void v(const QString& message, std::source_location at = std::source_location::current());
    static void i(const QString& message, std::source_location at = std::source_location::current());
    static void t(const QString& message, std::source_location at = std::source_location::current());
    static void w(const QString& message, std::source_location at = std::source_location::current());
    static void e(const QString& message, std::source_location at = std::source_location::current());
    static void errorMessage(const QString& message = QStringLiteral("*** Error Got ***"),
                             std::source_location at = std::source_location::current());
    static void verify(bool condition, const QString& message = QStringLiteral("Verify failed."),
                       std::source_location at = std::source_location::current());
    static void showFunctionEnter(const QString& message = QString(),
                                  std::source_location at = std::source_location::current());
    static void showFunctionLeave(const QString& message = QString(),
                                  std::source_location at = std::source_location::current());

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
