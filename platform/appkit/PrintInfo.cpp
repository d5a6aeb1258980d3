#include "PrintInfo.h"

namespace platform {

QString PrintInfo::horizontalPaginationKey() { return QStringLiteral("HorizontalPagination"); }
QString PrintInfo::verticalPaginationKey() { return QStringLiteral("VerticalPagination"); }

PrintInfo::Pagination PrintInfo::horizontalPagination() const
{
    return Pagination(m_dictionary.value(horizontalPaginationKey(), int(AutoPagination)).toInt());
}

PrintInfo::Pagination PrintInfo::verticalPagination() const
{
    return Pagination(m_dictionary.value(verticalPaginationKey(), int(AutoPagination)).toInt());
}

} // namespace platform
