#include "VNDownloadCache.h"

#include "VNCacheException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimeZone>

#include <nettle/md5.h>

#include <cmath>
#include <memory>

using platform::HTTPHeaderFields;

const QString VNDownloadCache::sessionStoreName = QStringLiteral("SessionStore");
const QString VNDownloadCache::permanentStoreName = QStringLiteral("PermanentStore");
const QString VNDownloadCache::expiresHeader = QStringLiteral("X-VNHTTPRequest-Expires");
const QString VNDownloadCache::statusCodeHeader = QStringLiteral("X-VNHTTPRequest-Response-Status-Code");

namespace {

const QString headersExtension = QStringLiteral("cachedheaders");

bool isCacheableStatus(int status)
{
    return status == 200 || status == 301 || status == 302 || status == 303 || status == 307;
}

QString numberText(double value)
{
    if (value == std::floor(value) && std::abs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'f', 3);
}

} // namespace

VNDownloadCache::VNDownloadCache()
    : now_([] { return QDateTime::currentDateTimeUtc(); })
{
}

VNDownloadCache& VNDownloadCache::sharedCache()
{
    static VNDownloadCache* cache = [] {
        auto c = std::make_unique<VNDownloadCache>();
        // The cache folder itself may not exist yet on a fresh account; the
        // cache makes only its own folder below it.
        const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        QDir().mkpath(base);
        c->setStoragePath(base + QStringLiteral("/VNHTTPRequestCache"));
        return c.release();
    }();
    return *cache;
}

QString VNDownloadCache::storagePath() const
{
    std::lock_guard guard(accessLock_);
    return storagePath_;
}

void VNDownloadCache::setStoragePath(const QString& path)
{
    std::lock_guard guard(accessLock_);
    clearStoreLocked(CacheForSessionDurationCacheStoragePolicy);
    storagePath_ = path;
    if (path.isEmpty())
        return;
    for (const QString& folder : {path, path + u'/' + sessionStoreName, path + u'/' + permanentStoreName}) {
        const QFileInfo info(folder);
        if (info.exists() && !info.isDir())
            throw VNCacheException(QStringLiteral("FileExistsAtCachePath"),
                                   QStringLiteral("Cannot create a directory for the cache at '%1', because a file already exists").arg(folder));
        if (!info.exists()) {
            QDir().mkdir(folder);
            if (!QFileInfo(folder).isDir())
                throw VNCacheException(QStringLiteral("FailedToCreateCacheDirectory"),
                                       QStringLiteral("Failed to create a directory for the cache at '%1'").arg(folder));
        }
    }
    clearStoreLocked(CacheForSessionDurationCacheStoragePolicy);
}

int VNDownloadCache::defaultCachePolicy() const
{
    std::lock_guard guard(accessLock_);
    return defaultCachePolicy_;
}

void VNDownloadCache::setDefaultCachePolicy(int policy)
{
    std::lock_guard guard(accessLock_);
    defaultCachePolicy_ = policy == UseDefaultCachePolicy ? AskServerIfModifiedWhenStaleCachePolicy : policy;
}

bool VNDownloadCache::shouldRespectCacheControlHeaders() const
{
    std::lock_guard guard(accessLock_);
    return shouldRespectCacheControlHeaders_;
}

void VNDownloadCache::setShouldRespectCacheControlHeaders(bool respect)
{
    std::lock_guard guard(accessLock_);
    shouldRespectCacheControlHeaders_ = respect;
}

void VNDownloadCache::setNow(Now now)
{
    std::lock_guard guard(accessLock_);
    now_ = std::move(now);
}

QString VNDownloadCache::keyForURL(const QUrl& url)
{
    QByteArray text = url.toString(QUrl::FullyEncoded).toUtf8();
    if (text.isEmpty())
        return QString();
    if (text.endsWith('/'))
        text.chop(1);
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, size_t(text.size()), reinterpret_cast<const uint8_t*>(text.constData()));
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&context, MD5_DIGEST_SIZE, digest);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), MD5_DIGEST_SIZE).toHex().toUpper());
}

const QStringList& VNDownloadCache::fileExtensionsToHandleAsHTML()
{
    static const QStringList list = {QStringLiteral("asp"), QStringLiteral("aspx"), QStringLiteral("jsp"), QStringLiteral("php"),
                                     QStringLiteral("rb"), QStringLiteral("py"), QStringLiteral("pl"), QStringLiteral("cgi")};
    return list;
}

QString VNDownloadCache::bodyFileExtension(const QUrl& url)
{
    QString path = url.path(QUrl::FullyDecoded);
    while (path.endsWith(u'/'))
        path.chop(1);
    const QString lastComponent = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = lastComponent.lastIndexOf(u'.');
    const QString extension = dot > 0 ? lastComponent.mid(dot + 1) : QString();
    // The extension ends up in a file name: only plain letters and digits.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,16}$"));
    if (!plain.match(extension).hasMatch() || fileExtensionsToHandleAsHTML().contains(extension.toLower()))
        return QStringLiteral("html");
    return extension;
}

bool VNDownloadCache::serverAllowsResponseCachingForRequest(const VNCacheRequestInfo& request)
{
    const QString cacheControl = request.responseHeaders.value(QStringLiteral("Cache-Control")).trimmed().toLower();
    if (cacheControl == QLatin1String("no-cache"))
        return false;
    for (const QString& directive : cacheControl.split(u',')) {
        if (directive.section(u'=', 0, 0).trimmed() == QLatin1String("no-store"))
            return false;
    }
    const QString pragma = request.responseHeaders.value(QStringLiteral("Pragma")).trimmed().toLower();
    return pragma != QLatin1String("no-cache");
}

bool VNDownloadCache::shouldStoreResponse(const VNCacheRequestInfo& request, bool respectCacheControlHeaders)
{
    if (request.hasError || !request.hasResponseHeaders || (request.cachePolicy & DoNotWriteToCacheCachePolicy))
        return false;
    if (!isCacheableStatus(request.responseStatusCode))
        return false;
    return !respectCacheControlHeaders || serverAllowsResponseCachingForRequest(request);
}

std::optional<QDateTime> VNDownloadCache::expiryDate(const HTTPHeaderFields& responseHeaders, double maxAge, const QDateTime& now)
{
    if (maxAge != 0)
        return now.addMSecs(qint64(maxAge * 1000.0));
    const QString cacheControl = responseHeaders.value(QStringLiteral("Cache-Control")).toLower();
    static const QRegularExpression maxAgePattern(QStringLiteral("max-age\\s*=\\s*\"?(\\d+)"));
    const QRegularExpressionMatch match = maxAgePattern.match(cacheControl);
    if (match.hasMatch()) {
        const qint64 seconds = match.captured(1).toLongLong();
        if (seconds != 0)
            return now.addSecs(seconds);
    }
    const QString expires = responseHeaders.value(QStringLiteral("Expires"));
    if (expires.isEmpty())
        return std::nullopt;
    return dateFromRFC1123String(expires);
}

std::optional<QDateTime> VNDownloadCache::dateFromRFC1123String(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^\\s*(?:[A-Za-z]{3},\\s*)?(\\d{1,2})\\s+([A-Za-z]{3})\\s+(\\d{4})\\s+(\\d{2}):(\\d{2})(?::(\\d{2}))?\\s+([A-Za-z]+|[+-]\\d{4})\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    static const QStringList months = {QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("apr"),
                                       QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"),
                                       QStringLiteral("sep"), QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec")};
    const qsizetype month = months.indexOf(m.captured(2).toLower());
    const QDate date(m.captured(3).toInt(), int(month) + 1, m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
    if (month < 0 || !date.isValid() || !time.isValid())
        return std::nullopt;
    const QString zone = m.captured(7).toUpper();
    int offsetSeconds = 0;
    if (zone.startsWith(u'+') || zone.startsWith(u'-')) {
        const int hhmm = zone.mid(1).toInt();
        offsetSeconds = ((hhmm / 100) * 3600 + (hhmm % 100) * 60) * (zone.startsWith(u'-') ? -1 : 1);
    } else if (zone != QLatin1String("GMT") && zone != QLatin1String("UTC") && zone != QLatin1String("UT") && zone != QLatin1String("Z")) {
        return std::nullopt;
    }
    return QDateTime(date, time, QTimeZone::utc()).addSecs(-offsetSeconds);
}

bool VNDownloadCache::isStoredResponseCurrent(const HTTPHeaderFields& storedHeaders, const VNCacheRequestInfo& request,
                                              bool respectCacheControlHeaders, const QDateTime& now)
{
    if (request.responseStatusCode == 304)
        return true;
    if (request.hasResponseHeaders && request.complete) {
        for (const QString& name : {QStringLiteral("Etag"), QStringLiteral("Last-Modified")}) {
            if (!request.responseHeaders.contains(name) || !storedHeaders.contains(name)
                || request.responseHeaders.value(name) != storedHeaders.value(name))
                return false;
        }
    }
    if (respectCacheControlHeaders) {
        if (!storedHeaders.contains(expiresHeader))
            return false;
        bool ok = false;
        const double expires = storedHeaders.value(expiresHeader).toDouble(&ok);
        if (!ok || expires < double(now.toMSecsSinceEpoch()) / 1000.0)
            return false;
    }
    return true;
}

HTTPHeaderFields VNDownloadCache::validatorHeaders(const HTTPHeaderFields& storedHeaders)
{
    HTTPHeaderFields validators;
    if (storedHeaders.contains(QStringLiteral("Etag")))
        validators.set(QStringLiteral("If-None-Match"), storedHeaders.value(QStringLiteral("Etag")));
    if (storedHeaders.contains(QStringLiteral("Last-Modified")))
        validators.set(QStringLiteral("If-Modified-Since"), storedHeaders.value(QStringLiteral("Last-Modified")));
    return validators;
}

QString VNDownloadCache::storePath(int storagePolicy) const
{
    return storagePath_ + u'/' + (storagePolicy == CacheForSessionDurationCacheStoragePolicy ? sessionStoreName : permanentStoreName);
}

QString VNDownloadCache::pathToFile(const QString& fileName) const
{
    std::lock_guard guard(accessLock_);
    if (storagePath_.isEmpty() || fileName.isEmpty())
        return QString();
    for (const int policy : {int(CacheForSessionDurationCacheStoragePolicy), int(CachePermanentlyCacheStoragePolicy)}) {
        const QString path = storePath(policy) + u'/' + fileName;
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QString VNDownloadCache::pathToCachedResponseHeadersForURL(const QUrl& url) const
{
    const QString key = keyForURL(url);
    return key.isEmpty() ? QString() : pathToFile(key + u'.' + headersExtension);
}

QString VNDownloadCache::pathToCachedResponseDataForURL(const QUrl& url) const
{
    const QString key = keyForURL(url);
    return key.isEmpty() ? QString() : pathToFile(key + u'.' + bodyFileExtension(url));
}

QString VNDownloadCache::pathToStoreCachedResponseHeadersForRequest(const VNCacheRequestInfo& request) const
{
    std::lock_guard guard(accessLock_);
    const QString key = keyForURL(request.url);
    if (storagePath_.isEmpty() || key.isEmpty())
        return QString();
    return storePath(request.cacheStoragePolicy) + u'/' + key + u'.' + headersExtension;
}

QString VNDownloadCache::pathToStoreCachedResponseDataForRequest(const VNCacheRequestInfo& request) const
{
    std::lock_guard guard(accessLock_);
    const QString key = keyForURL(request.url);
    if (storagePath_.isEmpty() || key.isEmpty())
        return QString();
    return storePath(request.cacheStoragePolicy) + u'/' + key + u'.' + bodyFileExtension(request.url);
}

std::optional<HTTPHeaderFields> VNDownloadCache::readHeadersFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isArray())
        return std::nullopt;
    HTTPHeaderFields headers;
    for (const QJsonValue& field : document.array()) {
        const QJsonArray pair = field.toArray();
        if (pair.size() != 2 || !pair[0].isString())
            continue;
        headers.add(pair[0].toString(), pair[1].isDouble() ? numberText(pair[1].toDouble()) : pair[1].toString());
    }
    return headers;
}

bool VNDownloadCache::writeHeadersFile(const QString& path, const HTTPHeaderFields& headers)
{
    QJsonArray fields;
    for (const HTTPHeaderFields::Field& field : headers.fields()) {
        // The cache's own entries are numbers.
        QJsonValue value(field.second);
        if (field.first.compare(expiresHeader, Qt::CaseInsensitive) == 0 || field.first.compare(statusCodeHeader, Qt::CaseInsensitive) == 0)
            value = field.second.toDouble();
        fields.append(QJsonArray {field.first, value});
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(QJsonDocument(fields).toJson(QJsonDocument::Compact)) >= 0;
}

std::optional<HTTPHeaderFields> VNDownloadCache::cachedResponseHeadersForURL(const QUrl& url) const
{
    std::lock_guard guard(accessLock_);
    return readHeadersFile(pathToCachedResponseHeadersForURL(url));
}

std::optional<QByteArray> VNDownloadCache::cachedResponseDataForURL(const QUrl& url) const
{
    std::lock_guard guard(accessLock_);
    const QString path = pathToCachedResponseDataForURL(url);
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QDateTime> VNDownloadCache::expiryDateForRequest(const VNCacheRequestInfo& request, double maxAge) const
{
    std::lock_guard guard(accessLock_);
    return expiryDate(request.responseHeaders, maxAge, now_());
}

void VNDownloadCache::storeResponseForRequest(const VNCacheRequestInfo& request, double maxAge)
{
    std::lock_guard guard(accessLock_);
    if (!shouldStoreResponse(request, shouldRespectCacheControlHeaders_))
        return;
    const QString headersPath = pathToStoreCachedResponseHeadersForRequest(request);
    const QString bodyPath = pathToStoreCachedResponseDataForRequest(request);
    if (headersPath.isEmpty() || bodyPath.isEmpty())
        return;

    const bool fromFile = !request.downloadDestinationPath.isEmpty();
    HTTPHeaderFields headers = request.responseHeaders;
    if (request.isResponseCompressed) {
        // What is kept is the inflated body: its length, not the wire's.
        headers.remove(QStringLiteral("Content-Encoding"));
        const qint64 length = fromFile ? QFileInfo(request.downloadDestinationPath).size() : request.responseData.size();
        headers.set(QStringLiteral("Content-Length"), QString::number(length));
    }
    if (const std::optional<QDateTime> expiry = expiryDate(request.responseHeaders, maxAge, now_()))
        headers.set(expiresHeader, numberText(double(expiry->toMSecsSinceEpoch()) / 1000.0));
    headers.set(statusCodeHeader, QString::number(request.responseStatusCode));
    writeHeadersFile(headersPath, headers);

    if (fromFile) {
        if (QFileInfo(request.downloadDestinationPath).absoluteFilePath() != QFileInfo(bodyPath).absoluteFilePath()) {
            QFile::remove(bodyPath);
            QFile::copy(request.downloadDestinationPath, bodyPath);
        }
    } else {
        QFile file(bodyPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(request.responseData);
    }
}

void VNDownloadCache::updateExpiryForRequest(const VNCacheRequestInfo& request, double maxAge)
{
    std::lock_guard guard(accessLock_);
    const QString path = pathToStoreCachedResponseHeadersForRequest(request);
    std::optional<HTTPHeaderFields> headers = readHeadersFile(path);
    if (!headers)
        return;
    const std::optional<QDateTime> expiry = expiryDate(request.responseHeaders, maxAge, now_());
    if (!expiry)
        return;
    headers->set(expiresHeader, numberText(double(expiry->toMSecsSinceEpoch()) / 1000.0));
    writeHeadersFile(path, *headers);
}

bool VNDownloadCache::canUseCachedDataForRequest(const VNCacheRequestInfo& request) const
{
    std::lock_guard guard(accessLock_);
    const int policy = request.cachePolicy;
    if (policy & DoNotReadFromCacheCachePolicy)
        return false;
    if (policy & DontLoadCachePolicy)
        return true;
    if (pathToCachedResponseHeadersForURL(request.url).isEmpty() || pathToCachedResponseDataForURL(request.url).isEmpty())
        return false;
    if (policy & OnlyLoadIfNotCachedCachePolicy)
        return true;
    if (request.complete && (policy & FallbackToCacheIfLoadFailsCachePolicy))
        return true;
    if (policy & AskServerIfModifiedWhenStaleCachePolicy)
        return isCachedDataCurrentForRequest(request);
    if (policy & AskServerIfModifiedCachePolicy)
        return request.hasResponseHeaders && isCachedDataCurrentForRequest(request);
    return false;
}

bool VNDownloadCache::isCachedDataCurrentForRequest(const VNCacheRequestInfo& request) const
{
    std::lock_guard guard(accessLock_);
    if (storagePath_.isEmpty())
        return false;
    const std::optional<HTTPHeaderFields> stored = cachedResponseHeadersForURL(request.url);
    if (!stored || pathToCachedResponseDataForURL(request.url).isEmpty())
        return false;
    return isStoredResponseCurrent(*stored, request, shouldRespectCacheControlHeaders_, now_());
}

HTTPHeaderFields VNDownloadCache::validatorHeadersForRequest(const VNCacheRequestInfo& request) const
{
    if (!(request.cachePolicy & (AskServerIfModifiedWhenStaleCachePolicy | AskServerIfModifiedCachePolicy)))
        return {};
    const std::optional<HTTPHeaderFields> stored = cachedResponseHeadersForURL(request.url);
    return stored ? validatorHeaders(*stored) : HTTPHeaderFields();
}

void VNDownloadCache::removeCachedDataForURL(const QUrl& url)
{
    std::lock_guard guard(accessLock_);
    if (storagePath_.isEmpty())
        return;
    if (const QString headers = pathToCachedResponseHeadersForURL(url); !headers.isEmpty())
        QFile::remove(headers);
    if (const QString body = pathToCachedResponseDataForURL(url); !body.isEmpty())
        QFile::remove(body);
}

void VNDownloadCache::removeCachedDataForRequest(const VNCacheRequestInfo& request)
{
    removeCachedDataForURL(request.url);
}

void VNDownloadCache::clearCachedResponsesForStoragePolicy(int storagePolicy)
{
    std::lock_guard guard(accessLock_);
    clearStoreLocked(storagePolicy);
}

void VNDownloadCache::clearStoreLocked(int storagePolicy)
{
    if (storagePath_.isEmpty())
        return;
    const QString folder = storePath(storagePolicy);
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir())
        return;
    QDir dir(folder);
    if (!dir.isReadable())
        throw VNCacheException(QStringLiteral("FailedToTraverseCacheDirectory"),
                               QStringLiteral("Listing cache directory failed at path '%1'").arg(folder));
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const bool removed = entry.isDir() && !entry.isSymLink() ? QDir(entry.filePath()).removeRecursively()
                                                                 : QFile::remove(entry.filePath());
        if (!removed)
            throw VNCacheException(QStringLiteral("FailedToRemoveCacheFile"),
                                   QStringLiteral("Failed to remove cached data at path '%1'").arg(folder));
    }
}
