#include "KZTexturalMenuItem2.h"

#include "KZTexturalMenu.h"

#include <utility>

namespace {
const QString kDidClicked = QStringLiteral("didClicked:");
}

KZTexturalMenuItem2::KZTexturalMenuItem2(const QString& identifier, unsigned customControlType, QWidget* parent)
    : KZValidatableButton(identifier, customControlType, parent)
{
    platform::Responder::addAction(kDidClicked, [this](QObject* sender) { didClicked(sender); });
}

void KZTexturalMenuItem2::postInit()
{
    m_savedTarget = targetAction().target();
    m_savedSelector = targetAction().action();
    setTarget(this);
    setAction(kDidClicked);
}

void KZTexturalMenuItem2::sendSaved()
{
    if (m_savedTarget)
        m_savedTarget->tryToPerform(m_savedSelector, this);
}

void KZTexturalMenuItem2::didClicked(QObject*)
{
    sendSaved();
    if (auto* menu = qobject_cast<KZTexturalMenu*>(parentWidget())) {
        // The choice already sent the action: a pop-up button that hears of
        // it and clicks itself passes the item its state with setSelected(),
        // which must not send it a second time.
        const bool wasChoosing = std::exchange(m_choosing, true);
        menu->setSelectedItem(this);
        m_choosing = wasChoosing;
    }
}

void KZTexturalMenuItem2::setSelected(bool)
{
    if (m_choosing)
        return;
    sendSaved();
}

void KZTexturalMenuItem2::performUpdate()
{
    setTarget(m_savedTarget);
    setAction(m_savedSelector);
    KZValidatableButton::performUpdate();
    setTarget(this);
    setAction(kDidClicked);
}
