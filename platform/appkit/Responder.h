#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

class QObject;

namespace platform {

class MenuItem;

// An object that answers named actions ("saveDocument:", "undoOperation:"),
// the way menu commands reach their targets. A menu item is enabled only
// when some responder answers its action and that responder validates it.
class Responder {
public:
    using Handler = std::function<void(QObject* sender)>;

    virtual ~Responder();

    bool respondsToAction(const QString& action) const { return m_actions.contains(action); }
    // Runs the action when this responder answers it; false otherwise.
    bool tryToPerform(const QString& action, QObject* sender);
    // Asked before an item of an action this responder answers is shown or
    // its shortcut fires. Items are enabled unless a responder says no.
    virtual bool validateMenuItem(MenuItem* item);
    // Asked by controls that enable themselves from their action (see
    // ControlValidation): whether the item may be used now. No answer (the
    // default) leaves the control enabled.
    virtual std::optional<bool> validateUserInterfaceItem(QObject* item, const QString& action, int tag);

protected:
    void addAction(const QString& action, Handler handler);
    void removeAction(const QString& action);

private:
    QHash<QString, Handler> m_actions;
};

} // namespace platform
