#include "VTRTargetAction.h"

#include <QApplication>
#include <QMetaMethod>
#include <QWidget>

namespace {

VTRTargetAction::ChainHandler& chainHandler()
{
    static VTRTargetAction::ChainHandler handler;
    return handler;
}

bool walkFrom(QObject* start, const QString& action, QObject* sender, QList<QObject*>& visited)
{
    for (QObject* object = start; object; object = object->parent()) {
        if (visited.contains(object))
            continue;
        visited << object;
        if (VTRTargetAction::tryToPerform(object, action, sender))
            return true;
    }
    return false;
}

bool defaultChain(const QString& action, QObject* sender)
{
    QList<QObject*> visited;
    if (walkFrom(QApplication::focusWidget(), action, sender, visited))
        return true;
    if (walkFrom(sender ? sender->parent() : nullptr, action, sender, visited))
        return true;
    return walkFrom(QApplication::activeWindow(), action, sender, visited);
}

} // namespace

bool VTRTargetAction::send(QObject* sender) const
{
    if (m_action.isEmpty())
        return false;
    return sendAction(m_action, m_target, sender);
}

bool VTRTargetAction::sendAction(const QString& action, QObject* target, QObject* sender)
{
    if (action.isEmpty())
        return false;
    if (target)
        return tryToPerform(target, action, sender);
    const ChainHandler& handler = chainHandler();
    return handler ? handler(action, sender) : defaultChain(action, sender);
}

bool VTRTargetAction::tryToPerform(QObject* receiver, const QString& action, QObject* sender)
{
    if (!receiver)
        return false;
    QString name = action;
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    const QMetaObject* meta = receiver->metaObject();
    const QByteArray withSender = QMetaObject::normalizedSignature((name + QStringLiteral("(QObject*)")).toLatin1());
    int index = meta->indexOfMethod(withSender.constData());
    if (index >= 0)
        return meta->method(index).invoke(receiver, Qt::DirectConnection, Q_ARG(QObject*, sender));
    const QByteArray plain = (name + QStringLiteral("()")).toLatin1();
    index = meta->indexOfMethod(plain.constData());
    if (index >= 0)
        return meta->method(index).invoke(receiver, Qt::DirectConnection);
    return false;
}

VTRTargetAction::ChainHandler VTRTargetAction::setResponderChainHandler(ChainHandler handler)
{
    ChainHandler previous = std::move(chainHandler());
    chainHandler() = std::move(handler);
    return previous;
}
