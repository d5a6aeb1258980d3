#include "KZColorButton.h"

#include "KZColorMatrix.h"

KZColorButton::KZColorButton(QWidget* parent)
    : KZColorButton(KZColorButtonCell::defaultIdentifier(), parent)
{
}

KZColorButton::KZColorButton(const QString& identifier, QWidget* parent)
    : KZTexturalButton(std::make_unique<KZColorButtonCell>(), identifier, KZTexturalButtonCell::OnOff, parent)
{
    // The cell made its skin from the shared identifier before it had ours.
    if (identifier != KZColorButtonCell::defaultIdentifier() && !identifier.isEmpty())
        cell()->setTexturalSkin(std::make_unique<KZTexturalSkin>(identifier, KZEdgeInsets::automatic()));
    setImagePosition(platform::ButtonCell::ImageOnly);
    describeColor();
}

KZColorButtonCell* KZColorButton::colorCell() const
{
    return dynamic_cast<KZColorButtonCell*>(cell());
}

QColor KZColorButton::color() const
{
    KZColorButtonCell* c = colorCell();
    return c ? c->color() : QColor();
}

void KZColorButton::setColor(const QColor& color)
{
    KZColorButtonCell* c = colorCell();
    if (!c)
        return;
    c->setColor(color);
    setEnabled(color.isValid());
    describeColor();
    update();
}

void KZColorButton::setColorNamer(ColorNamer namer)
{
    m_colorNamer = std::move(namer);
    describeColor();
}

void KZColorButton::describeColor()
{
    const QColor c = color();
    QString name = m_colorNamer ? m_colorNamer(c) : QString();
    if (name.isEmpty() && c.isValid())
        name = KZColorMatrix::userColorKey(c);
    setAccessibleDescription(name);
}
