#include "ColorList.h"

#include "platform/foundation/Bundle.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <memory>

namespace platform {

ColorList ColorList::fromText(const QString& name, const QString& text)
{
    static const QRegularExpression line(QStringLiteral("^\\s*#([0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})\\s+(\\S.*?)\\s*$"));
    ColorList list;
    list.m_name = name;
    for (const QString& row : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(row);
        if (!m.hasMatch())
            continue;
        const QString hex = m.captured(1);
        const uint value = hex.left(6).toUInt(nullptr, 16);
        const int alpha = hex.size() == 8 ? hex.mid(6).toInt(nullptr, 16) : 255;
        list.m_colors.append({m.captured(2), QColor(int(value >> 16) & 0xff, int(value >> 8) & 0xff,
                                                    int(value) & 0xff, alpha)});
    }
    return list;
}

const ColorList* ColorList::named(const QString& name)
{
    static QHash<QString, std::shared_ptr<ColorList>> lists;
    const auto it = lists.constFind(name);
    if (it != lists.constEnd())
        return it.value().get();
    std::shared_ptr<ColorList> list;
    const QString path = Bundle::pathForResource(name, QStringLiteral("txt"), QStringLiteral("colorlists"));
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly))
        list = std::make_shared<ColorList>(fromText(name, QString::fromUtf8(file.readAll())));
    lists.insert(name, list);
    return list.get();
}

QStringList ColorList::allKeys() const
{
    QStringList keys;
    for (const auto& entry : m_colors)
        keys << entry.first;
    return keys;
}

std::optional<QColor> ColorList::colorWithKey(const QString& key) const
{
    for (const auto& entry : m_colors) {
        if (entry.first == key)
            return entry.second;
    }
    return std::nullopt;
}

void ColorList::setColorForKey(const QColor& color, const QString& key)
{
    for (auto& entry : m_colors) {
        if (entry.first == key) {
            entry.second = color;
            return;
        }
    }
    m_colors.append({key, color});
}

void ColorList::insertColor(const QColor& color, const QString& key, int index)
{
    removeColorWithKey(key);
    m_colors.insert(qBound(0, index, int(m_colors.size())), {key, color});
}

void ColorList::removeColorWithKey(const QString& key)
{
    m_colors.removeIf([&key](const QPair<QString, QColor>& entry) { return entry.first == key; });
}

} // namespace platform
