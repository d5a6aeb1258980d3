#include "MyPushAdLog.h"

#include "platform/foundation/SystemLog.h"

QString MyPushAdLog::line(const char* function, int site, const QString& message)
{
    return QStringLiteral("%1 %2: PAU <=> %3").arg(QString::fromUtf8(function)).arg(site).arg(message);
}

void MyPushAdLog::log(const char* function, int site, const QString& message)
{
    platform::nsLog(line(function, site, message));
}

QString MyPushAdLog::verifyFailedMessage()
{
    return QStringLiteral("PAU Verify failed!");
}

QString MyPushAdLog::fatalErrorMessage()
{
    return QStringLiteral("***Error***: fatal error found, go to pre-defined condition.");
}

QString MyPushAdLog::fatalErrorGotMessage()
{
    return QStringLiteral("***Error***: PAU FATAL ERROR GOT!");
}
