#include "KZValidatableButton.h"

#include "platform/appkit/ControlValidation.h"

KZValidatableButton::KZValidatableButton(const QString& identifier, unsigned customControlType, QWidget* parent)
    : KZTexturalButton(identifier, customControlType, parent)
{
}

void KZValidatableButton::performUpdate()
{
    platform::ControlValidation::update(this, targetAction().target(), targetAction().action(), tag());
}
