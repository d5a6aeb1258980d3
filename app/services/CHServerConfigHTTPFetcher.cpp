#include "CHServerConfigFetcher.h"

#include "CHServiceLimits.h"
#include "VNHTTPRequest.h"

namespace {
// Fetches the file with one GET through the program's HTTP client; both
// outcomes arrive on the main thread as the request's blocks.
class CHServerConfigHTTPFetcher : public CHServerConfigFetcher {
public:
    void fetch(const QUrl& url, Completion completion) override
    {
        VNHTTPRequest::setShouldUpdateNetworkActivityIndicator(false);
        auto request = VNHTTPRequest::requestWithURL(url);
        request->setDefaultResponseEncoding("UTF-8");
        // The body is gathered here, so that one larger than any
        // configuration stops the download instead of filling memory.
        struct Body {
            QByteArray bytes;
            bool tooLarge = false;
        };
        auto body = std::make_shared<Body>();
        // The blocks reach the request weakly: it holds them, and the queue
        // and the network thread keep it alive while it runs.
        std::weak_ptr<VNHTTPRequest> weak = request;
        request->setDataReceivedBlock([weak, body, completion](const QByteArray& data) {
            if (body->tooLarge)
                return;
            if (body->bytes.size() + data.size() <= CHServiceLimits::kConfigBodyBytes) {
                body->bytes.append(data);
                return;
            }
            body->tooLarge = true;
            body->bytes.clear();
            if (auto r = weak.lock())
                r->clearDelegatesAndCancel();
            // No configuration is that large: it reads as an unreadable one.
            completion(Result{});
        });
        request->setCompletionBlock([body, completion] {
            if (body->tooLarge)
                return;
            Result result;
            if (!body->bytes.isEmpty())
                result.body = body->bytes;
            completion(result);
        });
        request->setFailedBlock([weak, body, completion] {
            if (body->tooLarge)
                return;
            Result result;
            auto r = weak.lock();
            result.error = r && r->error() ? *r->error()
                                           : VNHTTPRequest::requestError(VNHTTPRequest::ConnectionFailureErrorType,
                                                 QStringLiteral("A connection failure occurred"));
            completion(result);
        });
        request->startAsynchronous();
    }
};
} // namespace

std::unique_ptr<CHServerConfigFetcher> CHServerConfigFetcher::makeHTTPFetcher()
{
    return std::make_unique<CHServerConfigHTTPFetcher>();
}
