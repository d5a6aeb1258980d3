#pragma once

#include "PressableSelectButton.h"

// A select button whose icon is stretched to its frame: the named template
// is redrawn at the button's size and composed again whenever the size or
// position changes. Only the name is used, never a base image.
class StretchableSelectButton : public PressableSelectButton {
    Q_OBJECT
public:
    explicit StretchableSelectButton(QWidget* parent = nullptr);
    ~StretchableSelectButton() override;

    void recomposeButtonImages() override;

    // Recompose when the object is this very button.
    Q_INVOKABLE void handleViewFrameDidChangeNotification(QObject* object);
    Q_INVOKABLE void handleViewBoundsDidChangeNotification(QObject* object);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void customInit();
};
