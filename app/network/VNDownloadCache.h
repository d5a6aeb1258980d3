#pragma once

#include "VNCacheRequestInfo.h"

#include "platform/network/HTTPHeaderFields.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <mutex>
#include <optional>

// HTTP responses kept on disk, headers and body apart, and the rules that
// tell a request whether it may answer from them instead of the network.
// One shared instance lives in the user's cache folder; others can be made
// on folders of their own. Safe to use from several threads at once.
class VNDownloadCache {
public:
    // Bits of a request's cache policy; 0 asks for the cache's default.
    enum CachePolicy : int {
        UseDefaultCachePolicy = 0,
        DoNotReadFromCacheCachePolicy = 1,
        DoNotWriteToCacheCachePolicy = 2,
        AskServerIfModifiedWhenStaleCachePolicy = 4,
        AskServerIfModifiedCachePolicy = 8,
        OnlyLoadIfNotCachedCachePolicy = 16,
        DontLoadCachePolicy = 32,
        FallbackToCacheIfLoadFailsCachePolicy = 64,
    };
    // 0 keeps a response for this run of the program, anything else for good.
    enum CacheStoragePolicy : int {
        CacheForSessionDurationCacheStoragePolicy = 0,
        CachePermanentlyCacheStoragePolicy = 1,
    };

    static const QString sessionStoreName;      // "SessionStore"
    static const QString permanentStoreName;    // "PermanentStore"
    static const QString expiresHeader;         // "X-VNHTTPRequest-Expires"
    static const QString statusCodeHeader;      // "X-VNHTTPRequest-Response-Status-Code"

    using Now = std::function<QDateTime()>;

    // No storage path: stores and finds nothing until one is set.
    VNDownloadCache();
    VNDownloadCache(const VNDownloadCache&) = delete;
    VNDownloadCache& operator=(const VNDownloadCache&) = delete;

    // In "VNHTTPRequestCache" under the user's cache folder (made when missing).
    static VNDownloadCache& sharedCache();

    QString storagePath() const;
    // Makes the folder and its two stores and empties the session stores
    // of the old and the new path. Throws VNCacheException when a folder
    // cannot be made or emptied.
    void setStoragePath(const QString& path);

    int defaultCachePolicy() const;
    void setDefaultCachePolicy(int policy); // 0 is taken as 4
    bool shouldRespectCacheControlHeaders() const;
    void setShouldRespectCacheControlHeaders(bool respect);
    // The wall clock used for expiry.
    void setNow(Now now);

    // 32 upper-case hex digits of the MD5 of the URL (one trailing "/"
    // dropped); empty for an empty URL.
    static QString keyForURL(const QUrl& url);
    static const QStringList& fileExtensionsToHandleAsHTML();
    // The body file's extension: the URL's own when it is plain letters and
    // digits (at most 16) and not a script's, else "html".
    static QString bodyFileExtension(const QUrl& url);
    // No when Cache-Control is exactly "no-cache" or holds a "no-store"
    // directive, or Pragma is exactly "no-cache".
    static bool serverAllowsResponseCachingForRequest(const VNCacheRequestInfo& request);
    // Whether a finished request's response may be written at all.
    static bool shouldStoreResponse(const VNCacheRequestInfo& request, bool respectCacheControlHeaders);
    // Now plus maxAge when it is not 0, else the response's max-age, else
    // its Expires date.
    static std::optional<QDateTime> expiryDate(const platform::HTTPHeaderFields& responseHeaders, double maxAge, const QDateTime& now);
    // "Sun, 06 Nov 1994 08:49:37 GMT", also without weekday or seconds.
    static std::optional<QDateTime> dateFromRFC1123String(const QString& text);
    // Whether stored headers still describe what the request would get.
    static bool isStoredResponseCurrent(const platform::HTTPHeaderFields& storedHeaders, const VNCacheRequestInfo& request,
                                        bool respectCacheControlHeaders, const QDateTime& now);
    // The conditional-request headers to send from stored headers:
    // If-None-Match from Etag, If-Modified-Since from Last-Modified.
    static platform::HTTPHeaderFields validatorHeaders(const platform::HTTPHeaderFields& storedHeaders);

    QString pathToCachedResponseHeadersForURL(const QUrl& url) const;
    QString pathToCachedResponseDataForURL(const QUrl& url) const;
    // Session store first, then the permanent one; empty when in neither.
    QString pathToFile(const QString& fileName) const;
    QString pathToStoreCachedResponseHeadersForRequest(const VNCacheRequestInfo& request) const;
    QString pathToStoreCachedResponseDataForRequest(const VNCacheRequestInfo& request) const;

    std::optional<platform::HTTPHeaderFields> cachedResponseHeadersForURL(const QUrl& url) const;
    std::optional<QByteArray> cachedResponseDataForURL(const QUrl& url) const;

    void storeResponseForRequest(const VNCacheRequestInfo& request, double maxAge);
    void updateExpiryForRequest(const VNCacheRequestInfo& request, double maxAge);
    std::optional<QDateTime> expiryDateForRequest(const VNCacheRequestInfo& request, double maxAge) const;
    // The request's policy must already be resolved (0 replaced by the default).
    bool canUseCachedDataForRequest(const VNCacheRequestInfo& request) const;
    bool isCachedDataCurrentForRequest(const VNCacheRequestInfo& request) const;
    // What a starting request adds to its headers: the validators of the
    // stored response when its policy asks the server (bits 4 or 8).
    platform::HTTPHeaderFields validatorHeadersForRequest(const VNCacheRequestInfo& request) const;

    void removeCachedDataForURL(const QUrl& url);
    void removeCachedDataForRequest(const VNCacheRequestInfo& request);
    // Throws VNCacheException when the store cannot be listed or emptied.
    void clearCachedResponsesForStoragePolicy(int storagePolicy);

private:
    static std::optional<platform::HTTPHeaderFields> readHeadersFile(const QString& path);
    static bool writeHeadersFile(const QString& path, const platform::HTTPHeaderFields& headers);
    QString storePath(int storagePolicy) const;
    void clearStoreLocked(int storagePolicy);

    mutable std::recursive_mutex accessLock_;
    QString storagePath_;
    int defaultCachePolicy_ = AskServerIfModifiedWhenStaleCachePolicy;
    bool shouldRespectCacheControlHeaders_ = true;
    Now now_;
};
