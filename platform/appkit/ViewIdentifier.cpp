#include "ViewIdentifier.h"

#include <QVariant>
#include <QWidget>

namespace platform {

namespace {
constexpr char kProperty[] = "velumoViewIdentifier";
}

QString ViewIdentifier::identifier(const QObject* object)
{
    return object ? object->property(kProperty).toString() : QString();
}

void ViewIdentifier::setIdentifier(QObject* object, const QString& identifier)
{
    if (object)
        object->setProperty(kProperty, identifier);
}

QWidget* ViewIdentifier::findView(const QWidget* root, const QString& identifier)
{
    if (!root || identifier.isEmpty())
        return nullptr;
    for (QObject* child : root->children()) {
        auto* view = qobject_cast<QWidget*>(child);
        if (!view)
            continue;
        if (ViewIdentifier::identifier(view) == identifier)
            return view;
        if (QWidget* found = findView(view, identifier))
            return found;
    }
    return nullptr;
}

} // namespace platform
