#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// A control's target and action, and how an action is delivered.
//
// An action is a method name with an optional trailing colon
// ("didClickSkipButton:"); a receiver answers it with an invokable method of
// that name taking the sender (QObject*) or nothing. With a target the action
// goes to the target alone. Without one it goes along the responder chain:
// the focus widget and its parents, then the sender's parents, then the
// active window; the first object that answers gets it. The program can hand
// the chain to its own router with setResponderChainHandler().
class VTRTargetAction {
public:
    using ChainHandler = std::function<bool(const QString& action, QObject* sender)>;

    QObject* target() const { return m_target; }
    // Not owned: when the target goes away the action reaches the chain.
    void setTarget(QObject* target) { m_target = target; }
    const QString& action() const { return m_action; }
    void setAction(const QString& action) { m_action = action; }

    // Sends the stored action, if any; false when nobody answered.
    bool send(QObject* sender) const;

    static bool sendAction(const QString& action, QObject* target, QObject* sender);
    // True when the object has a method that answers the action, and ran it.
    static bool tryToPerform(QObject* receiver, const QString& action, QObject* sender);
    // Replaces the null-target delivery; an empty handler restores the
    // default walk. Returns the handler that was set before.
    static ChainHandler setResponderChainHandler(ChainHandler handler);

private:
    QPointer<QObject> m_target;
    QString m_action;
};
