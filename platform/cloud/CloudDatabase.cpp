#include "CloudDatabase.h"

#include "platform/foundation/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <thread>

namespace platform {

namespace {
// Record files larger than this are not records of ours.
constexpr qint64 kMaxRecordFileBytes = 1 << 20;

CloudError unreadable(const QString& file, const QString& why)
{
    return CloudError{CloudError::UnreadableRecord, QStringLiteral("The record %1 could not be read: %2.").arg(file, why)};
}

std::optional<CloudRecord> readRecord(const QFileInfo& info, std::optional<CloudError>* error)
{
    // A record is a regular file of ours: anything else named *.json (a
    // FIFO, a device) is refused without being waited on.
    const std::optional<QByteArray> bytes = RegularFile::readAll(info.filePath(), kMaxRecordFileBytes);
    if (!bytes) {
        *error = unreadable(info.fileName(), QStringLiteral("cannot open it"));
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    const QJsonObject object = document.object();
    if (!document.isObject() || !object.value(QStringLiteral("recordType")).isString() ||
        !object.value(QStringLiteral("fields")).isObject()) {
        *error = unreadable(info.fileName(), QStringLiteral("not a record"));
        return std::nullopt;
    }
    CloudRecord record(object.value(QStringLiteral("recordType")).toString(), info.completeBaseName());
    const QJsonObject fields = object.value(QStringLiteral("fields")).toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QJsonValue value = it.value();
        if (value.isString()) {
            record.setValue(it.key(), value.toString());
        } else if (value.isDouble()) {
            record.setValue(it.key(), value.toDouble());
        } else if (value.isObject() && value.toObject().value(QStringLiteral("asset")).isString()) {
            // An asset stays beside its record: a name that leads elsewhere is refused.
            const QString name = value.toObject().value(QStringLiteral("asset")).toString();
            if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") || name == QLatin1String(".")) {
                *error = unreadable(info.fileName(), QStringLiteral("the asset of \"%1\" is not beside it").arg(it.key()));
                return std::nullopt;
            }
            record.setValue(it.key(), CloudAsset(QUrl::fromLocalFile(info.dir().filePath(name))));
        } else {
            *error = unreadable(info.fileName(), QStringLiteral("the field \"%1\" has no known type").arg(it.key()));
            return std::nullopt;
        }
    }
    return record;
}

bool matches(const CloudRecord& record, const CloudQuery& query)
{
    if (record.recordType() != query.recordType())
        return false;
    const CloudRecord::Value* value = record.valueForKey(query.fieldName());
    if (!value)
        return false;
    if (const auto* text = std::get_if<QString>(value))
        return query.value().typeId() == QMetaType::QString && *text == query.value().toString();
    if (const auto* number = std::get_if<double>(value)) {
        bool ok = false;
        const double wanted = query.value().toDouble(&ok);
        return ok && query.value().typeId() != QMetaType::QString && *number == wanted;
    }
    return false;
}
} // namespace

std::vector<CloudRecord> CloudDatabase::runQuery(const QString& folder, const CloudQuery& query, std::optional<CloudError>* error)
{
    error->reset();
    std::vector<CloudRecord> result;
    const QDir dir(folder);
    if (!dir.exists()) {
        *error = CloudError{CloudError::UnknownContainer, QStringLiteral("The container has no database at %1.").arg(folder)};
        return result;
    }
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo& info : files) {
        std::optional<CloudRecord> record = readRecord(info, error);
        if (!record)
            return {};
        if (matches(*record, query))
            result.push_back(std::move(*record));
    }
    return result;
}

void CloudDatabase::performQuery(const CloudQuery& query, Completion completion) const
{
    // Detached like the service's own queues: the caller learns the outcome
    // only through the completion, which owns everything the thread needs.
    std::thread([folder = m_folder, query, completion = std::move(completion)] {
        std::optional<CloudError> error;
        const std::vector<CloudRecord> records = runQuery(folder, query, &error);
        completion(records, error);
    }).detach();
}

} // namespace platform
