#include "OrderedJSONObject.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>
#include <QVariant>

#include <cmath>

namespace {

QByteArray spaces(int count)
{
    return QByteArray(count, ' ');
}

std::optional<QByteArray> number(const QJsonValue& value)
{
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return QByteArray::number(variant.toLongLong());
    const double d = value.toDouble();
    if (!std::isfinite(d))
        return std::nullopt;
    if (d == std::trunc(d) && std::fabs(d) < 1e15)
        return QByteArray::number(static_cast<qint64>(d));
    return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
}

using Member = QPair<QString, QJsonValue>;

std::optional<QByteArray> writeMembers(const QList<Member>& members, int indent)
{
    if (members.isEmpty())
        return QByteArray("{}");
    QByteArray out("{\n");
    for (qsizetype i = 0; i < members.size(); ++i) {
        const auto value = OrderedJSONObject::prettyJSON(members[i].second, indent + 2);
        if (!value)
            return std::nullopt;
        out += spaces(indent + 2) + OrderedJSONObject::quotedString(members[i].first) + " : " + *value;
        out += i + 1 < members.size() ? ",\n" : "\n";
    }
    return out + spaces(indent) + '}';
}

} // namespace

void OrderedJSONObject::insert(const QString& key, const QJsonValue& value)
{
    for (Member& member : members) {
        if (member.first == key) {
            member.second = value;
            return;
        }
    }
    members.append({ key, value });
}

std::optional<QByteArray> OrderedJSONObject::toPrettyJSON() const
{
    return writeMembers(members, 0);
}

std::optional<QByteArray> OrderedJSONObject::prettyJSON(const QJsonValue& value, int indent)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QByteArray("null");
    case QJsonValue::Bool:
        return QByteArray(value.toBool() ? "true" : "false");
    case QJsonValue::Double:
        return number(value);
    case QJsonValue::String:
        return quotedString(value.toString());
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        if (array.isEmpty())
            return QByteArray("[]");
        QByteArray out("[\n");
        for (qsizetype i = 0; i < array.size(); ++i) {
            const auto element = prettyJSON(array[i], indent + 2);
            if (!element)
                return std::nullopt;
            out += spaces(indent + 2) + *element;
            out += i + 1 < array.size() ? ",\n" : "\n";
        }
        return out + spaces(indent) + ']';
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        QList<Member> members;
        for (auto it = object.begin(); it != object.end(); ++it)
            members.append({ it.key(), it.value() });
        return writeMembers(members, indent);
    }
    case QJsonValue::Undefined:
        break;
    }
    return std::nullopt;
}

QByteArray OrderedJSONObject::quotedString(const QString& text)
{
    QString out(QLatin1Char('"'));
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\b': out += QLatin1String("\\b"); break;
        case u'\f': out += QLatin1String("\\f"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
            else
                out += c; // surrogate pairs stay together for the UTF-8 step
        }
    }
    out += QLatin1Char('"');
    return out.toUtf8();
}
