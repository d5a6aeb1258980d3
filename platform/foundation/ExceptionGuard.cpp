#include "ExceptionGuard.h"

#include "SystemLog.h"

#include <exception>

namespace platform {

bool exceptionGuard(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        nsLog(QStringLiteral("*** Error.. Exception catched:%1").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        nsLog(QStringLiteral("*** Error.. Exception catched:%1").arg(QStringLiteral("unknown exception")));
    }
    return false;
}

} // namespace platform
