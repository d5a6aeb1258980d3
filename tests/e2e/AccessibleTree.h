#pragma once

#include "AccessibleControl.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// Reads a program's accessibility tree over the accessibility bus, as a
// screen reader would: the program is told apart by its process id, its
// windows by their extents, its controls by their accessible names.
//
// A walk visits only what shows on the screen (a hidden tab, a closed menu
// and all within them are skipped) and asks the program for a whole level of
// the tree at once, so that a lookup costs a round trip per level rather
// than per control.
class AccessibleTree {
public:
    explicit AccessibleTree(const QString& accessibilityBusAddress);
    ~AccessibleTree();
    AccessibleTree(const AccessibleTree&) = delete;
    AccessibleTree& operator=(const AccessibleTree&) = delete;

    bool isConnected() const;

    // The shown controls of the process named so, in tree order. window:
    // the screen rectangle of the one window to search (a null rectangle:
    // every window). When a control and one inside it share the name, only
    // the inner one counts (a tab bar bears its current tab's name), and a
    // label counts only when nothing else has the name.
    // shownNames, when given, receives every name that showed (to tell a
    // reader what was there instead).
    QList<AccessibleControl> find(qint64 processId, const QString& name, const QRect& window, int timeoutMs,
                                  QStringList* shownNames = nullptr);

private:
    struct Reference {
        QString service;
        QString path;
    };
    QStringList servicesOf(qint64 processId, int timeoutMs);
    QList<Reference> topLevels(const QStringList& services, const QRect& window, int timeoutMs);
    QRect extentsOf(const Reference& object, int timeoutMs);

    QString m_connectionName;
};
