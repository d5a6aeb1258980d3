#pragma once

#include <QString>

// A failure a source reports: a domain, a code and, from the services
// beneath, a description.
struct MyPushAdError {
    QString domain;
    int code = 0;
    QString description;
};
