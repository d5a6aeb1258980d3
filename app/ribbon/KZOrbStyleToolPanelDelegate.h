#pragma once

#include <QList>
#include <QtGlobal>

class KZOrbStyleToolPanelItem;
class QWidget;

// What a tool panel asks of the one who owns its groups: the groups in
// left-to-right order, the priority of a group in its current mode, and the
// view that hosts them.
class KZOrbStyleToolPanelDelegate {
public:
    virtual ~KZOrbStyleToolPanelDelegate() = default;
    virtual QList<KZOrbStyleToolPanelItem*> allItems() const = 0;
    virtual qint32 itemPriority(KZOrbStyleToolPanelItem* item) const = 0;
    virtual QWidget* controlView() const = 0;
};
