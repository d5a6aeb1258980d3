#include "SystemLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace platform {

static QString processName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return QStringLiteral("velumo");
}

QString nsLogLine(const QString& message)
{
    return QStringLiteral("%1 %2[%3] %4")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
             processName(), QString::number(::getpid()), message);
}

void nsLog(const QString& message)
{
    static std::mutex lock;
    const QByteArray line = nsLogLine(message).toUtf8() + '\n';
    std::lock_guard<std::mutex> guard(lock);
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace platform
