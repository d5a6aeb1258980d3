#include "NSColorListCustom.h"

#include "NSColorCompare.h"

#include <algorithm>

platform::ColorList NSColorListCustom::initWithColorList(const platform::ColorList& list, std::uint64_t location,
                                                         std::uint64_t length)
{
    platform::ColorList cut{QString()};
    const QStringList keys = list.allKeys();
    const std::uint64_t count = std::uint64_t(keys.size());
    // A range past the keys would read beyond them: only what lies inside
    // is taken.
    const std::uint64_t end = location < count ? location + std::min(length, count - location) : location;
    for (std::uint64_t i = location; i < end; ++i)
        cut.setColorForKey(*list.colorWithKey(keys[qsizetype(i)]), keys[qsizetype(i)]);
    return cut;
}

platform::ColorList NSColorListCustom::initWithColorList(const platform::ColorList& list, const QStringList& keys)
{
    platform::ColorList cut{QString()};
    for (const QString& key : keys) {
        if (const std::optional<QColor> color = list.colorWithKey(key))
            cut.setColorForKey(*color, key);
    }
    return cut;
}

bool NSColorListCustom::containsColor(const platform::ColorList& list, const QColor& color)
{
    for (const QString& key : list.allKeys()) {
        if (NSColorCompare::isEqualToColor(*list.colorWithKey(key), color))
            return true;
    }
    return false;
}
