#include "VNNetworkQueueException.h"

VNNetworkQueueException::VNNetworkQueueException(const QString& name, const QString& reason)
    : std::runtime_error((name + QStringLiteral(": ") + reason).toStdString())
    , name_(name)
    , reason_(reason)
{
}
