#include "KZCheckPopUpButton.h"

#include "KZFaceButton.h"

#include <QIcon>
#include <QPixmap>

KZCheckPopUpButton::KZCheckPopUpButton(QWidget* parent)
    : QComboBox(parent)
{
}

void KZCheckPopUpButton::setImage(const QImage& image)
{
    if (m_faceButton)
        m_faceButton->setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
    m_image = image;
    update();
}

void KZCheckPopUpButton::setState(int state)
{
    m_state = state;
    update();
    if (m_faceButton)
        m_faceButton->setFaceState(state);
}
