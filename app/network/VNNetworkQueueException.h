#pragma once

#include <QString>

#include <stdexcept>

// Something that is not a request was given to a network queue
// ("AttemptToAddInvalidRequest").
class VNNetworkQueueException : public std::runtime_error {
public:
    VNNetworkQueueException(const QString& name, const QString& reason);
    const QString& name() const { return name_; }
    const QString& reason() const { return reason_; }

private:
    QString name_;
    QString reason_;
};
