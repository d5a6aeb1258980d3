#pragma once

#include <QString>

namespace platform {

// The program's own log line on standard error: local time with
// milliseconds, the process name and id, then the message.
// Example: "2026-12-10 11:52:50.123 velumo[4242] Opening file".
void nsLog(const QString& message);

// The line nsLog writes, without writing it (for tests).
QString nsLogLine(const QString& message);

} // namespace platform
