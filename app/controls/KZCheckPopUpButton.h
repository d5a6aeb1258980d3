#pragma once

#include <QComboBox>
#include <QImage>
#include <QPointer>

class KZFaceButton;

// A pop-up button that mirrors its image and its state onto a check-box
// face shown beside or over it.
class KZCheckPopUpButton : public QComboBox {
    Q_OBJECT
public:
    explicit KZCheckPopUpButton(QWidget* parent = nullptr);

    // Not owned.
    KZFaceButton* faceButton() const { return m_faceButton; }
    void setFaceButton(KZFaceButton* button) { m_faceButton = button; }

    QImage image() const { return m_image; }
    // The face first, then the pop-up button.
    void setImage(const QImage& image);
    // 0 off, 1 on, -1 mixed; the face shows the same.
    int state() const { return m_state; }
    void setState(int state);

private:
    QPointer<KZFaceButton> m_faceButton;
    QImage m_image;
    int m_state = 0;
};
