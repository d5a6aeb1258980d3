#include "CHServerConfigInfo.h"

#include "DOMXMLDocument.h"
#include "DOMXMLElement.h"

#include <libxml/hash.h>
#include <libxml/tree.h>

#include <QHash>

namespace {
struct ConfigKey {
    const char* xpath;
    QString CHServerConfigInfo::*text;
    CHServerConfigInfo::Dictionary CHServerConfigInfo::*dictionary;
};

using Info = CHServerConfigInfo;
const ConfigKey kConfigKeys[] = {
    {"//config/data/file_version", &Info::dataFileVersion, nullptr},
    {"//config/data/url", &Info::dataUrl, nullptr},
    {"//config/data/url_backup", &Info::dataUrlBackup, nullptr},
    {"//config/app/version", &Info::appVersion, nullptr},
    {"//config/app/url", &Info::appUrl, nullptr},
    {"//config/app/whats_new", nullptr, &Info::appWhatsNewDict},
    {"//config/ads/ad/enable", &Info::adEnable, nullptr},
    {"//config/ads/ad/admob_id", &Info::adAdmobId, nullptr},
    {"//config/ads/push_ad/enable", &Info::pushAdEnable, nullptr},
    {"//config/ads/push_ad/version", &Info::pushAdVersion, nullptr},
    {"//config/ads/push_ad/title", nullptr, &Info::pushAdTitleDict},
    {"//config/ads/push_ad/message", nullptr, &Info::pushAdMessageDict},
    {"//config/ads/push_ad/url", &Info::pushAdUrl, nullptr},
    {"//config/ads/push_ad/count", &Info::pushAdCount, nullptr},
    {"//config/ads/push_ad/delay", &Info::pushAdDelay, nullptr},
    {"//config/ads/push_ad/promo_title", &Info::pushAdPromoTitle, nullptr},
    {"//config/ads/push_ad/promo_url", &Info::pushAdPromoUrl, nullptr},
    {"//config/ads/push_ad/promo_width", &Info::pushAdPromoWindowWidth, nullptr},
    {"//config/ads/push_ad/promo_height", &Info::pushAdPromoWindowHeight, nullptr},
};

// A later entry of a language replaces the earlier one in its place; the
// index keeps that one lookup per entry, however many entries there are.
void setEntry(CHServerConfigInfo::Dictionary& dictionary, QHash<QString, qsizetype>& index, const QString& key,
              const QString& value)
{
    const auto found = index.constFind(key);
    if (found != index.constEnd()) {
        dictionary[*found].second = value;
        return;
    }
    index.insert(key, dictionary.size());
    dictionary.append({key, value});
}

// A configuration never needs entities of its own: a document that declares
// any is refused, since reading one value could expand them without bound.
bool declaresEntities(const DOMXMLDocument& document)
{
    const DOMXMLElementPtr root = document.rootElement();
    xmlNodePtr node = root ? root->XMLNode() : nullptr;
    xmlDocPtr doc = node ? node->doc : nullptr;
    if (!doc)
        return false;
    for (xmlDtdPtr dtd : {doc->intSubset, doc->extSubset}) {
        if (dtd && ((dtd->entities && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->entities)) > 0) ||
                    (dtd->pentities && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->pentities)) > 0)))
            return true;
    }
    return false;
}

QString dictionaryText(const CHServerConfigInfo::Dictionary& dictionary)
{
    QString text;
    for (const auto& entry : dictionary)
        text += QStringLiteral("{%1:%2}").arg(entry.first, entry.second);
    return text;
}
} // namespace

QString CHServerConfigInfo::description() const
{
    QString text;
    const auto add = [&text](const char* name, const QString& value) {
        text += QStringLiteral("self.%1:%2,\n").arg(QLatin1String(name), value);
    };
    add("dataFileVersion", dataFileVersion);
    add("dataUrl", dataUrl);
    add("dataUrlBackup", dataUrlBackup);
    add("appUrl", appUrl);
    add("appVersion", appVersion);
    add("appWhatsNewDict", dictionaryText(appWhatsNewDict));
    add("adEnable", adEnable);
    add("adAdmobId", adAdmobId);
    add("pushAdEnable", pushAdEnable);
    add("pushAdVersion", pushAdVersion);
    add("pushAdTitleDict", dictionaryText(pushAdTitleDict));
    add("pushAdMessageDict", dictionaryText(pushAdMessageDict));
    add("pushAdUrl", pushAdUrl);
    add("pushAdCount", pushAdCount);
    add("pushAdDelay", pushAdDelay);
    add("pushAdPromoTitle", pushAdPromoTitle);
    add("pushAdPromoUrl", pushAdPromoUrl);
    add("pushAdPromoWindowWidth", pushAdPromoWindowWidth);
    add("pushAdPromoWindowHeight", pushAdPromoWindowHeight);
    return text;
}

std::shared_ptr<CHServerConfigInfo> CHServerConfigInfo::fromXMLData(const QByteArray& data)
{
    const auto document = DOMXMLDocument::initWithData(data, 0);
    if (!document || declaresEntities(*document))
        return nullptr;
    auto info = configInfo();
    for (const ConfigKey& key : kConfigKeys) {
        const auto nodes = document->nodesForXPath(QString::fromLatin1(key.xpath));
        const DOMXMLNodePtr first = nodes && !nodes->isEmpty() ? nodes->first() : nullptr;
        if (key.text) {
            (*info).*key.text = first ? first->stringValue().trimmed() : QString();
            continue;
        }
        if (!first)
            continue;
        QHash<QString, qsizetype> index;
        // Text between the language elements (even when it is more than
        // white space) is not an entry.
        for (const DOMXMLNodePtr& child : first->children()) {
            if (child->kind() != DOMXMLNode::ElementKind)
                continue;
            const QString name = child->name().trimmed();
            const QString text = child->stringValue().trimmed();
            if (!name.isEmpty() && !text.isEmpty())
                setEntry((*info).*key.dictionary, index, name, text);
        }
    }
    return info;
}
