#pragma once

#include <QString>

class QObject;
class QWidget;

namespace platform {

// A view's user-interface identifier: a text the program gives a view (or
// any object) to find it again or to name its look. Kept apart from the
// object name, which belongs to Qt and to debugging.
class ViewIdentifier {
public:
    static QString identifier(const QObject* object);
    static void setIdentifier(QObject* object, const QString& identifier);
    // The first descendant of root (depth first, root excluded) with that
    // identifier, or null.
    static QWidget* findView(const QWidget* root, const QString& identifier);
};

} // namespace platform
