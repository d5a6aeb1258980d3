#include "VTRFoundationInfo.h"

#include "DebugModuleInfo.h"

QString VTRFoundationInfo::frameworkInfoString()
{
    return QStringLiteral("{VTRFoundation Info: VTRFoundationFrameworkInternalVersion = %1, Debug sub-module: %2}")
        .arg(QString::fromLatin1(kInternalVersion), DebugModuleInfo::debugModuleInfoString());
}
