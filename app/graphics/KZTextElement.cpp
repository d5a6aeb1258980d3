#include "KZTextElement.h"

#include "KZGraphicElementClass.h"
#include "KZTextBuilder.h"
#include "KZTextEditor.h"

KZTextElement::KZTextElement(const QPainterPath& path)
    : KZVectorImage(path)
{
    setFillColor(Qt::transparent);
    setStrokeColor(Qt::transparent);
}

const KZGraphicElementClass& KZTextElement::kind()
{
    static const KZGraphicElementClass text{
        QStringLiteral("KZText"),
        [](KZGraphicsContext* context) { return std::make_unique<KZTextBuilder>(context); },
        [](KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element) {
            return std::make_unique<KZTextEditor>(context, element);
        }};
    return text;
}
