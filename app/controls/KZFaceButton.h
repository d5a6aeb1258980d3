#pragma once

#include <QCheckBox>

// A check box that always shows its face state (0 off, 1 on, -1 mixed),
// whatever a click did: its owner sets what it shows.
class KZFaceButton : public QCheckBox {
    Q_OBJECT
public:
    explicit KZFaceButton(const QString& title = QString(), QWidget* parent = nullptr);

    int faceState() const { return m_faceState; }
    void setFaceState(int state);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_faceState = 0;
};
