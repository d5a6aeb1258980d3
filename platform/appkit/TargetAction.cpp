#include "TargetAction.h"

#include "ActionRouter.h"
#include "Responder.h"

#include <QApplication>
#include <QWidget>

namespace platform {

namespace {
Responder* answeringWidget(QWidget* start, const QString& action)
{
    for (QWidget* w = start; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        auto* responder = dynamic_cast<Responder*>(w);
        if (responder && responder->respondsToAction(action))
            return responder;
    }
    return nullptr;
}

Responder* answeringInWindow(QWidget* window, QWidget* from, const QString& action)
{
    if (!window)
        return nullptr;
    QWidget* start = window->focusWidget();
    if (!start)
        start = from && from->window() == window ? from : window;
    if (Responder* responder = answeringWidget(start, action))
        return responder;
    return ActionRouter::shared().targetForAction(action, window);
}
} // namespace

TargetAction::TargetAction(Responder* target, const QString& action)
    : m_action(action)
{
    setTarget(target);
}

Responder* TargetAction::target() const
{
    if (m_targetIsObject && !m_targetGuard)
        return nullptr;
    return m_target;
}

void TargetAction::setTarget(Responder* target)
{
    m_target = target;
    auto* object = dynamic_cast<QObject*>(target);
    m_targetGuard = object;
    m_targetIsObject = object != nullptr;
}

bool TargetAction::send(QObject* sender, QWidget* from) const
{
    return sendAction(m_action, target(), sender, from);
}

Responder* TargetAction::targetForAction(const QString& action, Responder* target, QWidget* from)
{
    if (action.isEmpty())
        return nullptr;
    if (target)
        return target->respondsToAction(action) ? target : nullptr;
    QWidget* active = QApplication::activeWindow();
    if (Responder* responder = answeringInWindow(active, from, action))
        return responder;
    QWidget* own = from ? from->window() : nullptr;
    if (own && own != active) {
        if (Responder* responder = answeringInWindow(own, from, action))
            return responder;
    }
    // No window at all: the application's responders still answer.
    return active || own ? nullptr : ActionRouter::shared().targetForAction(action, nullptr);
}

bool TargetAction::sendAction(const QString& action, Responder* target, QObject* sender, QWidget* from)
{
    Responder* responder = targetForAction(action, target, from);
    return responder && responder->tryToPerform(action, sender);
}

} // namespace platform
