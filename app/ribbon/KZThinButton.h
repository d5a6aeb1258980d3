#pragma once

#include "KZTexturalButton.h"

#include "platform/appkit/Updatable.h"

class KZThinButtonCell;

// The ribbon's tall skinned button, image above title, whose cell places
// the title (and, when asked, the image) at fixed heights. At each window
// update it enables itself from the validation of its action, as the menu
// item of the same action does (a button whose action nobody answers stays
// enabled).
class KZThinButton : public KZTexturalButton, public platform::Updatable {
    Q_OBJECT
public:
    explicit KZThinButton(QWidget* parent = nullptr);
    KZThinButton(const QString& identifier, unsigned customControlType, QWidget* parent = nullptr);

    KZThinButtonCell* thinCell() const;
    void setTextVerticalPosition(double y);
    void setImageVerticalPosition(double y);
    // As wide as the title or the image needs, whichever is wider.
    void sizeToFit();

    QSize sizeHint() const override;

    void performUpdate() override;
};
