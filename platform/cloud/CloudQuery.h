#pragma once

#include <QString>
#include <QVariant>

namespace platform {

// Records of one type whose field equals a value (a text or a number).
class CloudQuery {
public:
    CloudQuery(const QString& recordType, const QString& fieldName, const QVariant& value)
        : m_recordType(recordType)
        , m_fieldName(fieldName)
        , m_value(value)
    {
    }
    QString recordType() const { return m_recordType; }
    QString fieldName() const { return m_fieldName; }
    QVariant value() const { return m_value; }

private:
    QString m_recordType;
    QString m_fieldName;
    QVariant m_value;
};

} // namespace platform
