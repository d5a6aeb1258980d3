#pragma once

#include "CloudAsset.h"

#include <QString>

#include <map>
#include <variant>

namespace platform {

// One record of a cloud database: a type, a name unique in its database
// and named fields holding a text, a number or an asset.
class CloudRecord {
public:
    using Value = std::variant<QString, double, CloudAsset>;

    CloudRecord(const QString& recordType, const QString& recordName)
        : m_recordType(recordType)
        , m_recordName(recordName)
    {
    }

    QString recordType() const { return m_recordType; }
    QString recordName() const { return m_recordName; }

    // Null when the record has no such field.
    const Value* valueForKey(const QString& key) const;
    void setValue(const QString& key, const Value& value) { m_fields[key] = value; }
    const std::map<QString, Value>& fields() const { return m_fields; }

private:
    QString m_recordType;
    QString m_recordName;
    std::map<QString, Value> m_fields;
};

} // namespace platform
