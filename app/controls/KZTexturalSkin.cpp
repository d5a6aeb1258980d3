#include "KZTexturalSkin.h"

#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/SystemLog.h"

#include <utility>

KZTexturalSkin::KZTexturalSkin(const QString& identifier)
    : KZTexturalSkin(identifier, KZEdgeInsets())
{
}

KZTexturalSkin::KZTexturalSkin(const QString& identifier, const KZEdgeInsets& capInsets)
    : m_capInsets(capInsets)
{
    setUp(identifier);
}

void KZTexturalSkin::setUp(const QString& identifier)
{
    changeState(Normal);
    if (identifier.isEmpty()) {
        // Told at once, where the skin is made, not when it is first drawn.
        loadImages(identifier);
        return;
    }
    m_pendingIdentifier = identifier;
}

void KZTexturalSkin::loadIfNeeded() const
{
    if (m_pendingIdentifier.isEmpty())
        return;
    const QString identifier = std::exchange(m_pendingIdentifier, QString());
    auto* self = const_cast<KZTexturalSkin*>(this);
    platform::exceptionGuard([&] { m_stateImages = self->loadImages(identifier); });
}

QMap<QString, KZImage::Ptr> KZTexturalSkin::stateImages() const
{
    loadIfNeeded();
    return m_stateImages;
}

void KZTexturalSkin::setStateImages(const QMap<QString, KZImage::Ptr>& images)
{
    // A later look-up must not replace what is set here.
    loadIfNeeded();
    m_stateImages = images;
}

KZImage::Ptr KZTexturalSkin::currentImage() const
{
    loadIfNeeded();
    return m_currentImage;
}

void KZTexturalSkin::setCurrentImage(const KZImage::Ptr& image)
{
    loadIfNeeded();
    m_currentImage = image;
}

void KZTexturalSkin::changeState(std::uint64_t state)
{
    m_oldState = state;
}

QString KZTexturalSkin::nextLevelTitle(const QString& name)
{
    const int underscore = name.indexOf(QLatin1Char('_'));
    return underscore < 0 ? QString() : name.mid(underscore + 1);
}

QStringList KZTexturalSkin::skinStateArray()
{
    return {QStringLiteral("n"), QStringLiteral("h"), QStringLiteral("s"), QStringLiteral("p"), QStringLiteral("d")};
}

QStringList KZTexturalSkin::candidateNames(const QString& identifier, const QString& letter)
{
    QStringList names;
    for (QString name = identifier; !name.isNull(); name = nextLevelTitle(name))
        names << name + QLatin1Char('_') + letter;
    return names;
}

QMap<QString, KZImage::Ptr> KZTexturalSkin::loadImages(const QString& identifier)
{
    QMap<QString, KZImage::Ptr> images;
    if (identifier.isEmpty()) {
        platform::nsLog(QStringLiteral("*** Error, identifier is nil"));
        return images;
    }
    for (const QString& letter : skinStateArray()) {
        for (const QString& name : candidateNames(identifier, letter)) {
            KZImage::Ptr image = KZImage::imageNamed(name);
            if (image)
                image = image->resizableImageWithCapInsets(m_capInsets);
            if (image) {
                images.insert(letter, image);
                break;
            }
        }
    }
    m_currentImage = images.value(QStringLiteral("n"));
    return images;
}

void KZTexturalSkin::drawWithFrame(QPainter& painter, const QRectF& frame, QWidget*)
{
    loadIfNeeded();
    if (!m_stateImages.value(QStringLiteral("n")))
        return;
    static const struct {
        std::uint64_t bit;
        const char* letter;
    } layers[] = {{Normal, "n"}, {Selected, "s"}, {Hover, "h"}, {Pressed, "p"}, {Disabled, "d"}};
    for (const auto& layer : layers) {
        if (!(m_oldState & layer.bit))
            continue;
        if (const KZImage::Ptr image = m_stateImages.value(QLatin1String(layer.letter)))
            image->drawInRect(painter, frame, QPainter::CompositionMode_SourceOver, 1.0);
    }
}
