#pragma once

#include "VNProxy.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

// Runs a proxy auto-configuration script for a URL. The script is somebody
// else's code: it runs in a bare engine with only the usual pure helper
// functions (no host look-ups, no files, no network), is stopped by a
// watchdog once its time is up or once the process has grown by more than
// MaximumScriptMemory while it ran, and a script that fails, throws, runs
// too long, grows too large or answers nothing usable yields no answer.
// It blocks its caller: the HTTP client runs it on a thread of its own.
class VNPACScriptRunner {
public:
    static constexpr qsizetype MaximumScriptLength = 1024 * 1024;
    static constexpr qint64 MaximumScriptMemory = qint64(256) << 20;

    static std::optional<QList<VNProxy>> proxiesForURL(const QString& script, const QUrl& url,
        std::chrono::milliseconds timeLimit);
};
