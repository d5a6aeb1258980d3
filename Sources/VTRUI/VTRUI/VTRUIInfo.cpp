#include "VTRUIInfo.h"

QString VTRUIInfo::frameworkInfoString()
{
    return QStringLiteral("{") + QStringLiteral("VTRUI Info: ") + QStringLiteral("VTRUIFrameworkInternalVersion = ")
           + QString::fromLatin1(kInternalVersion) + QString() + QStringLiteral("}");
}
