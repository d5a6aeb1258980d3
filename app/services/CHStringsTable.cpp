#include "CHStringsTable.h"

#include "platform/foundation/Bundle.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

const CHStringsTable& CHStringsTable::named(const QString& name)
{
    static std::map<QString, CHStringsTable> tables;
    auto it = tables.find(name);
    if (it != tables.end())
        return it->second;
    CHStringsTable table;
    QFile file(platform::Bundle::pathForResource(name, QStringLiteral("json"), QStringLiteral("strings")));
    if (file.open(QIODevice::ReadOnly)) {
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        for (auto entry = object.begin(); entry != object.end(); ++entry)
            table.m_texts.insert(entry.key(), entry.value().toString());
    }
    return tables.emplace(name, std::move(table)).first->second;
}

QString CHStringsTable::localizedString(const QString& key) const
{
    const QString text = m_texts.value(key);
    return text.isEmpty() ? key : text;
}
