#include "LetsMoveWrapper.h"

#include "platform/foundation/SystemLog.h"

namespace platform {

void LetsMoveWrapper::PFMoveToApplicationsFolderIfNecessary()
{
    nsLog(QStringLiteral("LetsMoveWrapper stand-in: PFMoveToApplicationsFolderIfNecessary"));
}

} // namespace platform
