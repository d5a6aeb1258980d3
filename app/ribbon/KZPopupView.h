#pragma once

#include <QWidget>

// A rounded, slightly translucent white background for the contents of a
// pop-up.
class KZPopupView : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 4.0;
    static constexpr qreal kWhiteAlpha = 0.9;

    explicit KZPopupView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
