#include "MSAppCenterWrapperFrameworkInfo.h"

namespace platform {

QString MSAppCenterWrapperFrameworkInfo::appCenterWrapperFrameworkInfoString()
{
    return QStringLiteral("{MSAppCenterWrapper Info: local stand-in, analytics and crash reports are logged only}");
}

} // namespace platform
