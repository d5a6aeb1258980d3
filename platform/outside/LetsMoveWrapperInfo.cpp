#include "LetsMoveWrapperInfo.h"

namespace platform {

QString LetsMoveWrapperInfo::frameworkInfoString()
{
    return QStringLiteral("{LetsMoveWrapper Info: local stand-in, never moves the program}");
}

} // namespace platform
