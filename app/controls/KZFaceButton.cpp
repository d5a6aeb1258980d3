#include "KZFaceButton.h"

#include <QSignalBlocker>

KZFaceButton::KZFaceButton(const QString& title, QWidget* parent)
    : QCheckBox(title, parent)
{
    setTristate(true);
}

void KZFaceButton::setFaceState(int state)
{
    m_faceState = state;
    update();
}

void KZFaceButton::paintEvent(QPaintEvent* event)
{
    const QSignalBlocker quiet(this);
    setCheckState(m_faceState == 1 ? Qt::Checked : m_faceState == -1 ? Qt::PartiallyChecked : Qt::Unchecked);
    QCheckBox::paintEvent(event);
}
