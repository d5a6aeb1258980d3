#include "CloudRecord.h"

namespace platform {

const CloudRecord::Value* CloudRecord::valueForKey(const QString& key) const
{
    const auto it = m_fields.find(key);
    return it == m_fields.end() ? nullptr : &it->second;
}

} // namespace platform
