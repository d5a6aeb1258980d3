#pragma once

#include "BrushInputDefinition.h"

#include <QHash>
#include <QList>
#include <memory>
#include <vector>

// The shared table of the 9 brush inputs, in the fixed order whose position
// is an input's index throughout the engine. Built on first use and kept
// until the program ends.
class BrushInputDefinitions
{
public:
    static BrushInputDefinitions* sharedInstance();

    const QList<const BrushInputDefinition*>& list() const { return m_list; }
    const QHash<QString, const BrushInputDefinition*>& dict() const { return m_dict; }

    // The definition named name, or nullptr.
    const BrushInputDefinition* definition(const QString& name) const { return m_dict.value(name); }

    BrushInputDefinitions(const BrushInputDefinitions&) = delete;
    BrushInputDefinitions& operator=(const BrushInputDefinitions&) = delete;
    ~BrushInputDefinitions();

private:
    BrushInputDefinitions();

    std::vector<std::unique_ptr<BrushInputDefinition>> m_owned;
    QList<const BrushInputDefinition*> m_list;
    QHash<QString, const BrushInputDefinition*> m_dict;
};
