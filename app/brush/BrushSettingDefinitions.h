#pragma once

#include "BrushSettingDefinition.h"

#include <QHash>
#include <QList>
#include <memory>
#include <vector>

// The shared table of the 39 brush settings, in the fixed order whose
// position is a setting's index throughout the engine. Built on first use and
// kept until the program ends.
class BrushSettingDefinitions
{
public:
    static BrushSettingDefinitions* sharedInstance();

    const QList<const BrushSettingDefinition*>& list() const { return m_list; }
    const QHash<QString, const BrushSettingDefinition*>& dict() const { return m_dict; }

    // The definition named cname, or nullptr.
    const BrushSettingDefinition* definition(const QString& cname) const { return m_dict.value(cname); }

    BrushSettingDefinitions(const BrushSettingDefinitions&) = delete;
    BrushSettingDefinitions& operator=(const BrushSettingDefinitions&) = delete;
    ~BrushSettingDefinitions();

private:
    BrushSettingDefinitions();

    std::vector<std::unique_ptr<BrushSettingDefinition>> m_owned;
    QList<const BrushSettingDefinition*> m_list;
    QHash<QString, const BrushSettingDefinition*> m_dict;
};
