#pragma once

#include <cstdint>

class QPainter;
class QRectF;
class QWidget;

// Something a control draws in layers chosen by state bits: 1 normal,
// 2 selected, 4 hover, 8 pressed, 16 disabled.
class KZMultiStateTexture {
public:
    enum StateBit : std::uint64_t { Normal = 1, Selected = 2, Hover = 4, Pressed = 8, Disabled = 16 };

    virtual ~KZMultiStateTexture() = default;
    virtual void changeState(std::uint64_t state) = 0;
    virtual void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) = 0;
};
