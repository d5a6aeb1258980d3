// Reads property lists in both forms: anything must end in a value or a
// refusal, without a memory error and within bounded depth. A value that
// is read is walked whole.
#include "platform/foundation/PropertyList.h"

#include <QVariantList>
#include <QVariantMap>

#include <cstddef>
#include <cstdint>

namespace {
int walk(const QVariant& value, int depth)
{
    int count = 1;
    if (depth > platform::PropertyList::kMaxDepth + 1)
        __builtin_trap();
    if (value.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            count += walk(it.value(), depth + 1);
    } else if (value.typeId() == QMetaType::QVariantList) {
        for (const QVariant& item : value.toList())
            count += walk(item, depth + 1);
    } else {
        (void)value.toString();
    }
    return count;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    if (const auto value = platform::PropertyList::fromData(bytes, &error))
        (void)walk(*value, 1);
    else if (error.isEmpty())
        __builtin_trap();
    return 0;
}
