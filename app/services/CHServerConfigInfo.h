#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>

#include <memory>

// One remote configuration as read from the configuration file: texts are
// empty and dictionaries (language code to text, in file order) empty
// when the file lacks them.
class CHServerConfigInfo {
public:
    using Dictionary = QList<QPair<QString, QString>>;

    static std::shared_ptr<CHServerConfigInfo> configInfo() { return std::make_shared<CHServerConfigInfo>(); }

    // The configuration in an XML file (root "config"). Null when there is
    // no data or it is not XML; keys the file lacks stay empty. Only the
    // first element of each key counts, texts are trimmed, and a dictionary
    // takes the child elements that have both a name and a text.
    static std::shared_ptr<CHServerConfigInfo> fromXMLData(const QByteArray& data);

    QString description() const;

    QString dataFileVersion;
    QString dataUrl;
    QString dataUrlBackup;
    QString appVersion;
    QString appUrl;
    Dictionary appWhatsNewDict;
    QString adEnable;
    QString adAdmobId;
    QString pushAdEnable;
    QString pushAdVersion;
    Dictionary pushAdTitleDict;
    Dictionary pushAdMessageDict;
    QString pushAdUrl;
    QString pushAdCount;
    QString pushAdDelay;
    QString pushAdPromoTitle;
    QString pushAdPromoUrl;
    QString pushAdPromoWindowWidth;
    QString pushAdPromoWindowHeight;
};

Q_DECLARE_METATYPE(std::shared_ptr<CHServerConfigInfo>)
