#pragma once

#include <QString>

namespace platform {

// A user name and password, with the account domain NTLM also sends.
struct HTTPCredential {
    QString user;
    QString password;
    QString domain;

    bool operator==(const HTTPCredential&) const = default;
};

} // namespace platform
