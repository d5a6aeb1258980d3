#include "VNError.h"

VNError VNError::make(const QString& domain, int code, const QString& message)
{
    VNError error;
    error.domain = domain;
    error.code = code;
    error.message = message;
    return error;
}

QString VNError::localizedDescription() const
{
    if (!message.isEmpty())
        return message;
    return QStringLiteral("The operation couldn\u2019t be completed. (%1 error %2.)").arg(domain).arg(code);
}

void VNError::report(VNError* out, const VNError& error)
{
    if (out)
        *out = error;
}
