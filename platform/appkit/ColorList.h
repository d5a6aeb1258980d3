#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// A named list of named colours, read from "colorlists/<name>.txt" among the
// program's resources: one colour a line, "#RRGGBB" or "#RRGGBBAA" then the
// name; "#" in the first column of a line without a colour starts a comment.
class ColorList {
public:
    // An empty list, named or not ("" for a list made in memory).
    explicit ColorList(const QString& name = QString()) : m_name(name) {}

    // The list of that name, loaded once; null when there is none.
    static const ColorList* named(const QString& name);

    // Parses list text (for the resource file and for tests).
    static ColorList fromText(const QString& name, const QString& text);

    QString name() const { return m_name; }
    QStringList allKeys() const;
    std::optional<QColor> colorWithKey(const QString& key) const;
    // Replaces the colour of a key in place, or adds the key at the end.
    void setColorForKey(const QColor& color, const QString& key);
    void insertColor(const QColor& color, const QString& key, int index);
    void removeColorWithKey(const QString& key);

private:
    QString m_name;
    QList<QPair<QString, QColor>> m_colors;
};

} // namespace platform
