#pragma once

#include <QPointer>
#include <QString>

class QObject;
class QWidget;

namespace platform {

class Responder;

// A control's target and action. With a target, the action goes to it
// alone (a target that does not answer it leaves the action unsent);
// without one it goes to the first responder that answers it along the chain of the active window:
// its focused widget and that widget's parents, then the responders
// registered for the window with ActionRouter, then the application's.
// When the sending control's own window is another one, its chain follows.
class TargetAction {
public:
    TargetAction() = default;
    TargetAction(Responder* target, const QString& action);

    // Not owned. A target that is also a QObject is watched, so a deleted
    // one reads as no target.
    Responder* target() const;
    void setTarget(Responder* target);
    QString action() const { return m_action; }
    void setAction(const QString& action) { m_action = action; }

    // Sends the action with the sender; false when there is no action or
    // nobody answered it. 'from' is the sending control (may be null).
    bool send(QObject* sender, QWidget* from) const;

    // The responder that would perform the action, or null.
    static Responder* targetForAction(const QString& action, Responder* target, QWidget* from);
    static bool sendAction(const QString& action, Responder* target, QObject* sender, QWidget* from);

private:
    Responder* m_target = nullptr;
    QPointer<QObject> m_targetGuard;
    bool m_targetIsObject = false;
    QString m_action;
};

} // namespace platform
