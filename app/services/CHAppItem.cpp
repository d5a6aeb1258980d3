#include "CHAppItem.h"

CHAppItem::CHAppItem(const QVariantMap& titleDict, const QVariantMap& contentDict, const QString& iconUrl,
                     const QString& downUrl, const QVariantMap& pricesDict, qint32 priority)
    : m_titleDict(titleDict)
    , m_contentDict(contentDict)
    , m_iconUrl(iconUrl)
    , m_downUrl(downUrl)
    , m_pricesDict(pricesDict)
    , m_priority(priority)
{
}
