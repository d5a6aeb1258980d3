#include "PressableSelectButton.h"

PressableSelectButton::PressableSelectButton(QWidget* parent)
    : SelectButton(parent)
{
    customInit();
}

void PressableSelectButton::customInit()
{
    setButtonType(MomentaryChange);
}

void PressableSelectButton::recomposeButtonImages()
{
    SelectButton::recomposeButtonImages();
    const std::optional<UniformGrayScale> pressed = pressedImageGrayScale();
    if (!pressed)
        return;
    // The pressed look does not depend on the selection.
    setAlternateImage(composeUniformImage(iconTemplateImageName(), iconBaseImage(), *pressed, pressedBackgroundMark()));
}
