#pragma once

#include <QString>
#include <QVariantMap>

// One of the maker's applications in the my-apps list: texts by language
// code ("other" for any language not named), the icon's address, the store
// link and the sort priority (larger first).
class CHAppItem {
public:
    CHAppItem(const QVariantMap& titleDict, const QVariantMap& contentDict, const QString& iconUrl,
              const QString& downUrl, const QVariantMap& pricesDict, qint32 priority);

    QVariantMap titleDict() const { return m_titleDict; }
    QVariantMap contentDict() const { return m_contentDict; }
    QString iconUrl() const { return m_iconUrl; }
    QString downUrl() const { return m_downUrl; }
    QVariantMap pricesDict() const { return m_pricesDict; }
    qint32 priority() const { return m_priority; }

    void testLogDetails() const {}

private:
    QVariantMap m_titleDict;
    QVariantMap m_contentDict;
    QString m_iconUrl;
    QString m_downUrl;
    QVariantMap m_pricesDict;
    qint32 m_priority;
};
