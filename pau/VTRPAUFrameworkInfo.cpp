#include "VTRPAUFrameworkInfo.h"

QString VTRPAUFrameworkInfo::pauFrameworkInfoString()
{
    return QStringLiteral("{VTRPAUFramework Info: VTRPAUFrameworkInternalVersion=%1}").arg(QString::fromLatin1(kInternalVersion));
}
