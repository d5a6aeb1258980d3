#include "JSONSerialization.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <fcntl.h>

#include <optional>

namespace {

// The whole file, without keeping its pages in the system's file cache.
std::optional<QByteArray> readUncached(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
    return data;
}

QJsonObject loadObject(const QUrl& url)
{
    if (url.isEmpty() || !url.isLocalFile())
        return {};
    const auto data = readUncached(url.toLocalFile());
    if (!data)
        return {};
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(*data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    return document.object();
}

QUrl fileURL(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QUrl::fromLocalFile(path);
}

QMap<QString, QString> simple(const QJsonObject& object)
{
    QMap<QString, QString> result;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            return {};
        result.insert(it.key(), it.value().toString());
    }
    return result;
}

} // namespace

QVariantMap JSONSerialization::jsonDict(const QUrl& url)
{
    return loadObject(url).toVariantMap();
}

QVariantMap JSONSerialization::jsonDict(const QString& path)
{
    return jsonDict(fileURL(path));
}

QMap<QString, QString> JSONSerialization::jsonSimpleDict(const QUrl& url)
{
    return simple(loadObject(url));
}

QMap<QString, QString> JSONSerialization::jsonSimpleDict(const QString& path)
{
    return jsonSimpleDict(fileURL(path));
}
