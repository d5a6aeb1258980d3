#include "CHServerConfigFetcher.h"

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
        // The blocks reach the request weakly: it holds them, and the queue
        // and the network thread keep it alive while it runs.
        std::weak_ptr<VNHTTPRequest> weak = request;
        request->setCompletionBlock([weak, completion] {
            Result result;
            if (auto r = weak.lock()) {
                const QByteArray data = r->responseData();
                if (!data.isEmpty())
                    result.body = data;
            }
            completion(result);
        });
        request->setFailedBlock([weak, completion] {
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
