#pragma once

#include "KZTexturalButton.h"

#include "platform/appkit/Updatable.h"

// A skinned button that, at each window update, enables itself from the
// validation of its action.
class KZValidatableButton : public KZTexturalButton, public platform::Updatable {
    Q_OBJECT
public:
    KZValidatableButton(const QString& identifier, unsigned customControlType, QWidget* parent = nullptr);
    void performUpdate() override;
};
