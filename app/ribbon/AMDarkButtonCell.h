#pragma once

#include "platform/appkit/ButtonCell.h"

// A button cell with a rounded light bezel: a one-point rim (the selected
// control colour while on, light grey otherwise) around a grey-to-white
// gradient, darkened while highlighted.
class AMDarkButtonCell : public platform::ButtonCell {
public:
    static QColor selectedControlColor() { return QColor(0xb3, 0xd7, 0xff); }
    void drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override;
};
