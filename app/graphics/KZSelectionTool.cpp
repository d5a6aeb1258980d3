#include "KZSelectionTool.h"

#include "KZBitmapImage.h"
#include "KZGraphicsContext.h"
#include "KZSelectionBuilder.h"
#include "KZSelectionImageElement.h"
#include "KZToolboxController.h"
#include "KZVectorImage.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"

#include <QPainter>

#include <cmath>
#include <optional>

namespace {

std::shared_ptr<KZSelectionImageElement> floatingPicture(const std::optional<QPainterPath>& path, const QImage& bitmap,
                                                         const QColor& backColor)
{
    const std::array<QImage, 2> versions = KZSelectionBuilder::selectedImageOfPath(path, bitmap, backColor);
    auto element = std::make_shared<KZSelectionImageElement>(versions[0], versions[1]);
    element->setHasCreated(true);
    return element;
}

// Where an element's bitmap representation lies on the canvas. It is drawn
// from the element's bounds, so this holds for turned and mirrored
// elements too (their local corner maps elsewhere).
QPointF bitmapOrigin(const KZGraphicElement& element)
{
    const QPointF corner = element.bounds().topLeft();
    return QPointF(std::round(corner.x()), std::round(corner.y()));
}

} // namespace

KZSelectionTool::KZSelectionTool(KZToolboxController* controller, const KZGraphicElementClass* elementClass)
    : KZGraphicTool(controller, elementClass)
{
    observeControllerKeyPath(KZToolboxController::kSelectionTransparency);
}

void KZSelectionTool::observeValueForKeyPath(const QString& keyPath, const QVariant& newValue)
{
    if (keyPath != KZToolboxController::kSelectionTransparency) {
        KZGraphicTool::observeValueForKeyPath(keyPath, newValue);
        return;
    }
    const bool omit = newValue.toBool();
    const bool changed = omit != m_shouldOmitBackground;
    m_shouldOmitBackground = omit;
    if (!changed)
        return;
    showVersionForTransparency();
    if (SWDocument* doc = document())
        doc->refreshDisplay();
}

void KZSelectionTool::resetState()
{
    m_oldSelectedElement.reset();
    m_invertedElement.reset();
    KZGraphicTool::resetState();
}

KZSelectionImageElement* KZSelectionTool::floatingImage() const
{
    return dynamic_cast<KZSelectionImageElement*>(element().get());
}

void KZSelectionTool::swapRepresentations()
{
    if (KZSelectionImageElement* floating = floatingImage())
        floating->swapVersions();
}

void KZSelectionTool::showVersionForTransparency()
{
    // By the order the picture is in, not by a blind swap: a selection that
    // floats again after two inverts may come back in either order.
    const KZSelectionImageElement* floating = floatingImage();
    if (floating && floating->showsTransparentVersion() != m_shouldOmitBackground)
        swapRepresentations();
}

void KZSelectionTool::takeUndoStep()
{
    if (SWDocument* doc = document())
        doc->handleUndoWithImageData();
}

void KZSelectionTool::eraseContentInPath(const QPainterPath& path, QImage& bitmap) const
{
    if (bitmap.isNull() || path.isEmpty())
        return;
    QPainter painter(&bitmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Clipped as the lift crops (SWImageTools::cropImage): a fill of the
    // path may rasterise its edge pixels differently, and a pixel erased
    // but not lifted would be lost.
    painter.setClipPath(path);
    painter.fillRect(path.boundingRect().toAlignedRect(), context()->backColor());
}

bool KZSelectionTool::didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& created)
{
    if (!KZGraphicTool::didCreatedGraphic(created))
        return false;
    if (const auto* outline = dynamic_cast<const KZVectorImage*>(created.get())) {
        // A new outline: its pixels are lifted and their place erased.
        SWImageDataSource* store = imageDataSource();
        if (!store || !outline->image()) {
            cancel();
            return false;
        }
        const QPainterPath path = outline->image()->translated(created->position());
        std::shared_ptr<KZSelectionImageElement> floating =
            floatingPicture(path, store->mainImage(), context()->backColor());
        floating->setPosition(created->position());
        setElement(floating);
        takeUndoStep();
        auto write = store->writeMainImage(path.boundingRect().adjusted(-1, -1, 1, 1));
        eraseContentInPath(path, write.image());
        m_oldSelectedElement.reset();
        m_invertedElement.reset();
    }
    // The handles act on the floating picture.
    startEditing();
    if (m_shouldOmitBackground)
        showVersionForTransparency();
    takeUndoStep();
    return true;
}

QImage KZSelectionTool::selectedImage() const
{
    const std::shared_ptr<KZGraphicElement> floating = element();
    if (!dynamic_cast<const KZBitmapImage*>(floating.get()))
        return {};
    return floating->bitmapRepresentation();
}

bool KZSelectionTool::hasSelectedImage() const
{
    // Asked at every mouse move (the canvas knobs rest while something
    // floats): no rendering here.
    const std::shared_ptr<KZGraphicElement> floating = element();
    return dynamic_cast<const KZBitmapImage*>(floating.get()) && floating->hasCreated();
}

void KZSelectionTool::setImageDataSource(SWImageDataSource* dataSource)
{
    KZGraphicTool::setImageDataSource(dataSource);
}

void KZSelectionTool::setSelectedImage(const QImage& image)
{
    if (image.isNull()) {
        deleteKey();
        return;
    }
    if (!active())
        activate();
    didCreatedGraphic(floatingPicture(std::nullopt, image, context()->backColor()));
}

void KZSelectionTool::setPosition(const QPointF& centre)
{
    if (const std::shared_ptr<KZGraphicElement> floating = element())
        floating->setPosition(centre);
}

void KZSelectionTool::selectAll()
{
    tieUpLooseEnds();
    activate();
    startBuilding();
    auto* selection = dynamic_cast<KZSelectionBuilder*>(builder());
    if (!selection)
        return;
    selection->selectAll();
    didCreatedGraphic(selection->element());
}

std::shared_ptr<KZGraphicElement> KZSelectionTool::oldSelectedElement() const
{
    const std::shared_ptr<KZGraphicElement> inverted = m_invertedElement.lock();
    if (!inverted || inverted != element() || inverted->placementRevision() != m_invertedRevision)
        return nullptr;
    return m_oldSelectedElement;
}

std::shared_ptr<KZGraphicElement> KZSelectionTool::inverseOf(const std::shared_ptr<KZGraphicElement>& committed)
{
    SWImageDataSource* store = imageDataSource();
    QImage rest = SWImageTools::cloneImage(store->mainImage());
    if (rest.isNull())
        return nullptr;
    SWImageTools::subtractSelection(rest, committed->bitmapRepresentation(), bitmapOrigin(*committed),
                                    Qt::transparent);
    const QRectF canvas = store->drawableRect();
    std::shared_ptr<KZSelectionImageElement> inverse = floatingPicture(std::nullopt, rest, context()->backColor());
    inverse->setPosition(canvas.center());
    inverse->setSize(canvas.size());
    return inverse;
}

void KZSelectionTool::selectInvert()
{
    const std::shared_ptr<KZGraphicElement> current = element();
    const std::shared_ptr<KZGraphicElement> old = oldSelectedElement();
    // Commits the floating picture and forgets the old selection.
    tieUpLooseEnds();
    activate();
    startBuilding();
    SWImageDataSource* store = imageDataSource();
    if (store && !store->mainImage().isNull() && (old || dynamic_cast<const KZBitmapImage*>(current.get()))) {
        const std::shared_ptr<KZGraphicElement> inverse = old ? old : inverseOf(current);
        if (inverse) {
            takeUndoStep();
            const QImage selection = inverse->bitmapRepresentation();
            const QPointF origin = bitmapOrigin(*inverse);
            auto write = store->writeMainImage(QRectF(origin, QSizeF(selection.size())).adjusted(-1, -1, 1, 1));
            SWImageTools::subtractSelection(write.image(), selection, origin, context()->backColor());
            didCreatedGraphic(inverse);
        }
    }
    m_oldSelectedElement = current;
    m_invertedElement = element();
    if (const std::shared_ptr<KZGraphicElement> floating = element())
        m_invertedRevision = floating->placementRevision();
}
