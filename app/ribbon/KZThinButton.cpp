#include "KZThinButton.h"

#include "KZThinButtonCell.h"

#include "platform/appkit/ControlValidation.h"

#include <QFontMetrics>

KZThinButton::KZThinButton(QWidget* parent)
    : KZTexturalButton(std::make_unique<KZThinButtonCell>(), QString(), std::nullopt, parent)
{
}

KZThinButton::KZThinButton(const QString& identifier, unsigned customControlType, QWidget* parent)
    : KZTexturalButton(std::make_unique<KZThinButtonCell>(), identifier, customControlType, parent)
{
    cell()->setBezelStyle(platform::ButtonCell::BezelShadowlessSquare);
}

KZThinButtonCell* KZThinButton::thinCell() const
{
    return dynamic_cast<KZThinButtonCell*>(cell());
}

void KZThinButton::setTextVerticalPosition(double y)
{
    if (KZThinButtonCell* thin = thinCell())
        thin->setTextVerticalPosition(y);
    update();
}

void KZThinButton::setImageVerticalPosition(double y)
{
    if (KZThinButtonCell* thin = thinCell())
        thin->setImageVerticalPosition(y);
    update();
}

QSize KZThinButton::sizeHint() const
{
    const QFontMetrics metrics(cell()->font().value_or(font()));
    int textWidth = 0;
    for (const QString& line : title().split(QLatin1Char('\n')))
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    const int imageWidth = image().isNull() ? 0 : int(image().deviceIndependentSize().width());
    return QSize(std::max(textWidth, imageWidth) + 12, height() > 0 ? height() : 60);
}

void KZThinButton::sizeToFit()
{
    resize(sizeHint().width(), height());
}

void KZThinButton::performUpdate()
{
    platform::ControlValidation::update(this, targetAction().target(), targetAction().action(), tag());
}
