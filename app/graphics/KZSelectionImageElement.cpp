#include "KZSelectionImageElement.h"

#include "KZGraphicEditor.h"
#include "KZGraphicElementClass.h"
#include "KZSelectionBuilder.h"

#include <utility>

KZSelectionImageElement::KZSelectionImageElement(const QImage& drawn, const QImage& other)
    : m_other(other)
{
    setImage(drawn);
}

const KZGraphicElementClass& KZSelectionImageElement::kind()
{
    static const KZGraphicElementClass floating{
        QStringLiteral("selection_image"),
        [](KZGraphicsContext* context) { return std::make_unique<KZSelectionBuilder>(context); },
        [](KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element) {
            return std::make_unique<KZGraphicEditor>(context, element);
        }};
    return floating;
}

void KZSelectionImageElement::swapVersions()
{
    QImage drawn = image();
    setImage(m_other);
    m_other = std::move(drawn);
    m_showsTransparent = !m_showsTransparent;
}
