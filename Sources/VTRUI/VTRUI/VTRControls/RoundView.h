#pragma once

#include <QWidget>

// A translucent black rounded rectangle over the whole view, a backdrop for
// light content such as a HUD's text.
class RoundView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kCornerRadius = 6.0;

    explicit RoundView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
