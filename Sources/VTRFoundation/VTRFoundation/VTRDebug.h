#pragma once

#include <QString>

// Logging entry for callers that name the method rather than bind to the
// typed interface. The file argument is ignored: lines show the file "x".
class VTRDebug {
public:
    static void v(const QString& message, const QString& file, const QString& function, long line);
    static void i(const QString& message, const QString& file, const QString& function, long line);
    static void t(const QString& message, const QString& file, const QString& function, long line);
    static void w(const QString& message, const QString& file, const QString& function, long line);
    static void e(const QString& message, const QString& file, const QString& function, long line);
    static void errorMessage(const QString& message, const QString& file, const QString& function, long line);
    static void verify(bool condition, const QString& message, const QString& file, const QString& function, long line);
    static void showFunctionEnter(const QString& message, const QString& file, const QString& function, long line);
    static void showFunctionLeave(const QString& message, const QString& file, const QString& function, long line);
    // Levels outside 1..6 are ignored; the facility keeps its defaults for them.
    static void doCustomConfigOneTimeWithDebugLevel(long debugLevel, long debugLevelOfShowLeaveFunction,
                                                    bool enableDebugMessage);
    static void unused(const void*) {}
    static void FIXME() {}
    static void FIXME_ASAP() {}
};
