#pragma once

#include "CommonUtil.h"

#include <cstdint>
#include <optional>

namespace ArrayExtension {

// The element at the index, or nothing when the index is outside the array.
template <typename Container>
auto objectSafely(const Container& array, std::int64_t index) -> std::optional<typename Container::value_type>
{
    if (!CommonUtil::isIndexValidInArrary(index, array))
        return std::nullopt;
    return *(std::begin(array) + index);
}

} // namespace ArrayExtension
