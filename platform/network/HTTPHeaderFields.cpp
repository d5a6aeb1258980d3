#include "HTTPHeaderFields.h"

#include <QStringList>

namespace platform {

bool HTTPHeaderFields::isValidName(const QString& name)
{
    if (name.isEmpty())
        return false;
    static const QString separators = QStringLiteral("()<>@,;:\\\"/[]?={} \t");
    for (QChar c : name) {
        const ushort u = c.unicode();
        if (u <= 32 || u >= 127 || separators.contains(c))
            return false;
    }
    return true;
}

bool HTTPHeaderFields::isValidValue(const QString& value)
{
    for (QChar c : value) {
        const ushort u = c.unicode();
        if (u == '\r' || u == '\n' || u == 0)
            return false;
    }
    return true;
}

bool HTTPHeaderFields::set(const QString& name, const QString& value)
{
    if (!isValidName(name) || !isValidValue(value))
        return false;
    bool found = false;
    for (auto it = m_fields.begin(); it != m_fields.end();) {
        if (it->first.compare(name, Qt::CaseInsensitive) == 0) {
            if (found) {
                it = m_fields.erase(it);
                continue;
            }
            it->second = value;
            found = true;
        }
        ++it;
    }
    if (!found)
        m_fields.append({ name, value });
    return true;
}

bool HTTPHeaderFields::add(const QString& name, const QString& value)
{
    if (!isValidName(name) || !isValidValue(value))
        return false;
    m_fields.append({ name, value });
    return true;
}

void HTTPHeaderFields::remove(const QString& name)
{
    m_fields.removeIf([&](const Field& f) { return f.first.compare(name, Qt::CaseInsensitive) == 0; });
}

bool HTTPHeaderFields::contains(const QString& name) const
{
    for (const auto& f : m_fields)
        if (f.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList HTTPHeaderFields::values(const QString& name) const
{
    QStringList result;
    for (const auto& f : m_fields)
        if (f.first.compare(name, Qt::CaseInsensitive) == 0)
            result.append(f.second);
    return result;
}

QString HTTPHeaderFields::value(const QString& name) const
{
    const QStringList all = values(name);
    return all.isEmpty() ? QString() : all.join(QStringLiteral(", "));
}

} // namespace platform
