#pragma once

#include "KZColorButtonCell.h"
#include "KZTexturalButton.h"

#include <functional>

// A skinned on/off button that shows a colour ("btn_color" skin). Its
// accessible description is the name of the colour it shows.
class KZColorButton : public KZTexturalButton {
    Q_OBJECT
public:
    explicit KZColorButton(QWidget* parent = nullptr);
    KZColorButton(const QString& identifier, QWidget* parent = nullptr);

    // The cell when it is a colour cell, else null.
    KZColorButtonCell* colorCell() const;
    QColor color() const;
    // Also enables the button exactly when there is a colour.
    void setColor(const QColor& color);

    // Names the colour for the accessible description: the swatch name when
    // the namer knows one, else the colour's red, green and blue values.
    using ColorNamer = std::function<QString(const QColor&)>;
    void setColorNamer(ColorNamer namer);

    QSize sizeHint() const override { return QSize(40, 40); }

private:
    void describeColor();
    ColorNamer m_colorNamer;
};
