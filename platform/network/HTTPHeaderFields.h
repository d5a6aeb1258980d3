#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace platform {

// Header fields in the order they were given; names compare without
// regard to case and keep the spelling they were first given with.
// A name must be an HTTP token and neither names nor values may hold CR,
// LF or NUL: such a field is refused, so no caller can smuggle a header
// or a second request into a message.
class HTTPHeaderFields {
public:
    using Field = QPair<QString, QString>;

    static bool isValidName(const QString& name);
    static bool isValidValue(const QString& value);

    // Replaces the value of the first field of that name (dropping any
    // later ones) or appends the field. Answers false when refused.
    bool set(const QString& name, const QString& value);
    // Appends one more field of that name (a response may repeat one).
    bool add(const QString& name, const QString& value);
    void remove(const QString& name);
    bool contains(const QString& name) const;
    // The value, or the values of a repeated field joined by ", ".
    QString value(const QString& name) const;
    QStringList values(const QString& name) const;

    const QList<Field>& fields() const { return m_fields; }
    bool isEmpty() const { return m_fields.isEmpty(); }
    int size() const { return int(m_fields.size()); }

private:
    QList<Field> m_fields;
};

} // namespace platform
