#pragma once

#include "platform/network/HTTPHeaderFields.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

// What the download cache reads of a request, taken at the moment the
// request asks it something.
struct VNCacheRequestInfo {
    QUrl url;
    int cachePolicy = 0;
    int cacheStoragePolicy = 0;
    bool hasError = false;
    // Whether headers arrived at all; an answer may carry none.
    bool hasResponseHeaders = false;
    platform::HTTPHeaderFields responseHeaders;
    int responseStatusCode = 0;
    // The response came gzip-encoded; responseData is the inflated body.
    bool isResponseCompressed = false;
    QByteArray responseData;
    // Set when the body went to a file instead of memory.
    QString downloadDestinationPath;
    bool complete = false;
};
