#include "DebugModuleInfo.h"

#include "Debug.h"

QString DebugModuleInfo::debugModuleInfoString()
{
    return QStringLiteral("{DebugModule Info: IsRunInDebugMode=false, ShouldOutputDebugMessage=%1, DebugLevel=%2, "
                          "DebugLevelOfShowLeaveFunction=%3, DebugPreconditionFailureFunction=%4, "
                          "DebugOutputMessageFunction=%5}")
        .arg(Debug::enableDebugMessage() ? QStringLiteral("true") : QStringLiteral("false"),
             Debug::levelName(Debug::debugLevel()),
             Debug::levelName(Debug::debugLevelOfShowLeaveFunction()),
             Debug::hasPreconditionFailureFunction() ? QStringLiteral("a valid precondition failure function")
                                                     : QStringLiteral("nil"),
             Debug::hasOutputMessageFunction() ? QStringLiteral("a valid output message function")
                                               : QStringLiteral("nil"));
}
