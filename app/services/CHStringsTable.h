#pragma once

#include <QHash>
#include <QString>

// A table of interface texts among the program's resources
// ("strings/<name>.json", an object of key to text). A key the table lacks
// is shown as it is.
class CHStringsTable {
public:
    static const CHStringsTable& named(const QString& name);
    QString localizedString(const QString& key) const;

private:
    QHash<QString, QString> m_texts;
};
