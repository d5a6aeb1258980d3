#pragma once

#include <QColor>
#include <QWidget>

class QTimer;

// The HUD's round indicator: a turning wedge, or (annular) a ring that
// fills from the top with the progress.
class PHRoundProgressView : public QWidget {
    Q_OBJECT
public:
    explicit PHRoundProgressView(QWidget* parent = nullptr);

    float progress() const { return m_progress; }
    void setProgress(float progress);
    bool isAnnular() const { return m_annular; }
    void setAnnular(bool annular);
    QColor progressTintColor() const { return m_progressTint; }
    void setProgressTintColor(const QColor& color);
    QColor backgroundTintColor() const { return m_backgroundTint; }
    void setBackgroundTintColor(const QColor& color);

    // One step of the wedge's turn (every 0.15 s): progress grows by 0.1
    // and starts again after 1. The ring does not turn.
    void timerFired();

    QSize sizeHint() const override { return {37, 37}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float m_progress = 0.0f;
    bool m_annular = false;
    QColor m_progressTint = Qt::white;
    QColor m_backgroundTint = QColor::fromRgbF(1, 1, 1, 0.1f);
    QTimer* m_timer;
};
