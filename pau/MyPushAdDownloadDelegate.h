#pragma once

#include "MyPushAdError.h"

#include <QString>

// Who hears the outcome of a source's fetch, on the main thread.
class MyPushAdDownloadDelegate {
public:
    virtual ~MyPushAdDownloadDelegate() = default;
    virtual void downloadSuccessfullyWithString(const QString& text) = 0;
    virtual void downloadFailedWithError(const MyPushAdError& error) = 0;
};
