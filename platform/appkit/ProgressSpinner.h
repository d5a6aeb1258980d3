#pragma once

#include <QWidget>

class QTimer;

namespace platform {

// The spinning busy indicator: twelve spokes whose brightness turns round
// while it animates. It only draws while animating (hidden when stopped).
class ProgressSpinner : public QWidget {
    Q_OBJECT
public:
    explicit ProgressSpinner(QWidget* parent = nullptr);

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return m_animating; }
    // The spoke drawn brightest, 0..11; advances every tick.
    int phase() const { return m_phase; }
    void setColor(const QColor& color);

    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_timer;
    bool m_animating = false;
    int m_phase = 0;
    QColor m_color;
};

} // namespace platform
