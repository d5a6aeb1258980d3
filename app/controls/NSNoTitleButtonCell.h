#pragma once

#include "platform/appkit/ButtonCell.h"

// A button cell that shows only its image and bezel, never its title.
class NSNoTitleButtonCell : public platform::ButtonCell {
public:
    QRectF drawTitle(QPainter& painter, const AttributedTitle& title, const QRectF& frame, QWidget* view) override;
};
