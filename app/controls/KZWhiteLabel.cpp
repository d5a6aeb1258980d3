#include "KZWhiteLabel.h"

#include <QGraphicsDropShadowEffect>

KZWhiteLabel::KZWhiteLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setAutoFillBackground(false);
    setTextInteractionFlags(Qt::NoTextInteraction);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Window, Qt::transparent);
    setPalette(palette);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(Qt::gray);
    shadow->setBlurRadius(10.0);
    shadow->setOffset(1.0, 1.0);
    setGraphicsEffect(shadow);
}
