// The request's side of the download cache: answering from the store at
// the start, after a not-modified answer and after a failed load, the
// validators sent with a conditional request, and storing what came.
#include "VNHTTPRequest.h"

#include "VNCacheRequestInfo.h"
#include "VNDownloadCache.h"
#include "VNHTTPCookieStorage.h"

#include <QFile>

namespace {
std::atomic<VNDownloadCache*> classDefaultCache { nullptr };
} // namespace

VNDownloadCache* VNHTTPRequest::defaultCache() { return classDefaultCache.load(); }
void VNHTTPRequest::setDefaultCache(VNDownloadCache* cache) { classDefaultCache.store(cache); }

std::shared_ptr<VNHTTPRequest> VNHTTPRequest::requestWithURL(const QUrl& url, VNDownloadCache* cache, int cachePolicy)
{
    auto request = requestWithURL(url);
    request->setDownloadCache(cache);
    request->setCachePolicy(cachePolicy);
    return request;
}

VNCacheRequestInfo VNHTTPRequest::cacheRequestInfo() const
{
    std::lock_guard lock(m_lock);
    VNCacheRequestInfo info;
    info.url = m_url;
    info.cachePolicy = m_cachePolicy;
    info.cacheStoragePolicy = m_cacheStoragePolicy;
    info.hasError = m_error.has_value();
    info.hasResponseHeaders = m_haveReadResponseHeaders;
    info.responseHeaders = m_responseHeaders;
    info.responseStatusCode = m_responseStatusCode;
    info.isResponseCompressed = isResponseCompressed();
    info.downloadDestinationPath = m_downloadDestinationPath;
    if (m_downloadDestinationPath.isEmpty())
        info.responseData = responseData();
    info.complete = m_complete;
    return info;
}

// Main step: answers whether the stored response was used instead of a load.
bool VNHTTPRequest::useCacheOnStart()
{
    if (!m_downloadCache)
        return false;
    if (m_cachePolicy == VNDownloadCache::UseDefaultCachePolicy)
        m_cachePolicy = m_downloadCache->defaultCachePolicy();
    const VNCacheRequestInfo info = cacheRequestInfo();
    if (m_downloadCache->canUseCachedDataForRequest(info)) {
        useDataFromCache();
        return true;
    }
    const platform::HTTPHeaderFields validators = m_downloadCache->validatorHeadersForRequest(info);
    for (const auto& [name, value] : validators.fields())
        m_requestHeaders.set(name, value);
    return false;
}

// Header step: a not-modified answer (or a policy that prefers the store)
// ends the load here.
bool VNHTTPRequest::useCacheForResponse()
{
    if (!m_downloadCache)
        return false;
    const VNCacheRequestInfo info = cacheRequestInfo();
    if (!m_downloadCache->canUseCachedDataForRequest(info))
        return false;
    m_downloadCache->updateExpiryForRequest(info, m_secondsToCache);
    // What else the server sends on this connection is of no use now.
    m_connectionCanBeReused = false;
    if (m_connectionInfo) {
        VNConnectionPool::shared().remove(m_connectionInfo);
        m_connectionInfo.reset();
    }
    destroyReadStream();
    useDataFromCache();
    return true;
}

bool VNHTTPRequest::useCacheAfterFailure()
{
    if (!m_downloadCache || !(m_cachePolicy & VNDownloadCache::FallbackToCacheIfLoadFailsCachePolicy))
        return false;
    if (!m_downloadCache->canUseCachedDataForRequest(cacheRequestInfo()))
        return false;
    useDataFromCache();
    return true;
}

void VNHTTPRequest::storeResponseInCache()
{
    if (m_downloadCache && !m_didUseCachedResponse)
        m_downloadCache->storeResponseForRequest(cacheRequestInfo(), m_secondsToCache);
}

void VNHTTPRequest::useDataFromCache()
{
    auto main = m_mainRequest.lock();
    VNHTTPRequest& r = main ? *main : *this;
    const auto headers = m_downloadCache->cachedResponseHeadersForURL(m_url);
    const QString dataPath = m_downloadCache->pathToCachedResponseDataForURL(m_url);
    if (headers && !dataPath.isEmpty()) {
        r.m_responseStatusCode = headers->value(VNDownloadCache::statusCodeHeader).toInt();
        r.m_didUseCachedResponse = true;
        r.m_responseHeaders = *headers;
        r.m_haveReadResponseHeaders = true;
        if (!r.m_downloadDestinationPath.isEmpty()) {
            r.m_downloadDestinationPath = dataPath;
        } else {
            QFile file(dataPath);
            r.m_rawResponseData = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            r.m_inflatedFromSize = -1;
        }
        r.m_contentLength = headers->value(QStringLiteral("Content-Length")).trimmed().toULongLong();
        r.m_totalBytesRead = r.m_contentLength;
        QByteArray charset;
        parseMimeType(r.m_responseHeaders.value(QStringLiteral("Content-Type")), nullptr, &charset);
        r.m_responseEncoding = charset.isEmpty() ? r.m_defaultResponseEncoding : charset;
        // A stored answer's cookies are only reported, never kept again: without
        // the cookie module it reports none.
        r.m_responseCookies = VNHTTPCookieStorage::parseSetCookieValues(r.m_responseHeaders.values(QStringLiteral("Set-Cookie")), r.m_url)
                                  .value_or(QList<VNHTTPCookie>());
        if (r.willRedirect()) {
            if (!r.willAskDelegateToConfirmRedirect())
                r.performRedirect();
            return;
        }
    }
    r.m_complete = true;
    r.m_downloadComplete = true;
    if (r.m_redirectCount == 0)
        r.m_originalURL = r.m_url;
    r.updateProgressIndicators();
    r.requestFinished();
    r.markAsFinished();
    if (main)
        markAsFinished();
}
