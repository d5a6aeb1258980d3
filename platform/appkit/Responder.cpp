#include "Responder.h"

namespace platform {

Responder::~Responder() = default;

bool Responder::tryToPerform(const QString& action, QObject* sender)
{
    const auto it = m_actions.constFind(action);
    if (it == m_actions.constEnd())
        return false;
    // Copy: the handler may remove actions (or this responder) while it runs.
    const Handler handler = it.value();
    handler(sender);
    return true;
}

bool Responder::validateMenuItem(MenuItem*)
{
    return true;
}

std::optional<bool> Responder::validateUserInterfaceItem(QObject*, const QString&, int)
{
    return std::nullopt;
}

void Responder::addAction(const QString& action, Handler handler)
{
    m_actions.insert(action, std::move(handler));
}

void Responder::removeAction(const QString& action)
{
    m_actions.remove(action);
}

} // namespace platform
