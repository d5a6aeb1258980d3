#pragma once

#include <QString>

// The library's one log line, "<function> <site>: PAU <=> <message>",
// written through the program's log. A failed check is only logged: the
// code after it goes on.
class MyPushAdLog {
public:
    static QString line(const char* function, int site, const QString& message);
    static void log(const char* function, int site, const QString& message);

    static QString verifyFailedMessage();  // "PAU Verify failed!"
    static QString fatalErrorMessage();    // "***Error***: fatal error found, go to pre-defined condition."
    static QString fatalErrorGotMessage(); // "***Error***: PAU FATAL ERROR GOT!"
};

// The check site is the line of the call.
#define PAU_LOG(message) MyPushAdLog::log(Q_FUNC_INFO, __LINE__, (message))
#define PAU_VERIFY(condition)                                                                 \
    do {                                                                                      \
        if (!(condition))                                                                     \
            MyPushAdLog::log(Q_FUNC_INFO, __LINE__, MyPushAdLog::verifyFailedMessage());      \
    } while (false)
#define PAU_FATAL() MyPushAdLog::log(Q_FUNC_INFO, __LINE__, MyPushAdLog::fatalErrorMessage())
