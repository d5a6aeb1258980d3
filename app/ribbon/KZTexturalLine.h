#pragma once

#include "KZTexturalView.h"

// A separator line drawn from its identifier's skin, uncut: the images are
// stretched whole over the line. Without an identifier it draws no skin.
class KZTexturalLine : public KZTexturalView {
    Q_OBJECT
public:
    explicit KZTexturalLine(QWidget* parent = nullptr);
    explicit KZTexturalLine(const QString& identifier, QWidget* parent = nullptr);

    KZMultiStateTexture* texturalSkin() override;
};
