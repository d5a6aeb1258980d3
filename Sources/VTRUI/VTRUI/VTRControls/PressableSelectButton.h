#pragma once

#include "SelectButton.h"

// A select button with a third look shown while the mouse is held down on
// it, when a subclass gives it a pressed grey scale.
class PressableSelectButton : public SelectButton {
    Q_OBJECT
public:
    explicit PressableSelectButton(QWidget* parent = nullptr);

    virtual std::optional<UniformImageMark> pressedBackgroundMark() const { return std::nullopt; }
    // None: no pressed image at all.
    virtual std::optional<UniformGrayScale> pressedImageGrayScale() const { return std::nullopt; }

    void recomposeButtonImages() override;

private:
    void customInit();
};
