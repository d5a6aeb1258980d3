#pragma once

#include "platform/appkit/ColorList.h"

#include <cstdint>
#include <memory>

// A colour list with a range of its keys, carried as one value.
class KZColorList {
public:
    struct Range {
        std::uint64_t location = 0;
        std::uint64_t length = 0;
    };

    KZColorList(std::shared_ptr<platform::ColorList> colorList, Range range)
        : m_colorList(std::move(colorList))
        , m_range(range)
    {
    }

    std::shared_ptr<platform::ColorList> colorList() const { return m_colorList; }
    void setColorList(std::shared_ptr<platform::ColorList> list) { m_colorList = std::move(list); }
    Range range() const { return m_range; }
    void setRange(Range range) { m_range = range; }

private:
    std::shared_ptr<platform::ColorList> m_colorList;
    Range m_range;
};
