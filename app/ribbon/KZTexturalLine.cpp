#include "KZTexturalLine.h"

#include "KZTexturalSkin.h"

KZTexturalLine::KZTexturalLine(QWidget* parent)
    : KZTexturalView(parent)
{
}

KZTexturalLine::KZTexturalLine(const QString& identifier, QWidget* parent)
    : KZTexturalView(identifier, parent)
{
}

KZMultiStateTexture* KZTexturalLine::texturalSkin()
{
    if (identifier().isEmpty())
        return nullptr;
    // Made from the identifier of the moment, each time it is asked for
    // (the images themselves are cached).
    m_texture = std::make_unique<KZTexturalSkin>(identifier());
    return m_texture.get();
}
