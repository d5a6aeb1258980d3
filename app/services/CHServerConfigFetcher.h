#pragma once

#include "VNError.h"

#include <QByteArray>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// Gets the remote configuration file. The outcome reaches the completion on
// the main thread, later than the call: either an error (the request
// failed), or the response body, absent when the response had none.
class CHServerConfigFetcher {
public:
    struct Result {
        std::optional<VNError> error;
        std::optional<QByteArray> body;
    };
    using Completion = std::function<void(const Result&)>;

    virtual ~CHServerConfigFetcher() = default;
    virtual void fetch(const QUrl& url, Completion completion) = 0;

    // The program's own way of fetching: an HTTP GET.
    static std::unique_ptr<CHServerConfigFetcher> makeHTTPFetcher();
};
