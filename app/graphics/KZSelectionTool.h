#pragma once

#include "KZGraphicTool.h"
#include "SWPixelSelectionTarget.h"

#include <QImage>
#include <QPainterPath>

#include <memory>

class KZSelectionImageElement;

// The vector tools that select pixels. The user drags an outline; at the
// release the pixels inside it are lifted out of the main image into a
// floating picture that the handles move, resize and turn, and their place
// takes the back colour. The floating picture keeps two versions, as lifted
// and with the back colour made transparent; the toolbox's selection
// transparency chooses the one shown and committed, also while it floats.
//
// The document's commands come here too: a pasted picture floats, Select
// All lifts the whole canvas, Invert Selection floats the rest of the
// picture instead (a second invert, with nothing moved in between, floats
// the first selection again), and delete drops the floating picture.
//
// Lifting, inverting and pasting each take their undo steps within the
// event that does them, so one undo gives back the picture of before.
class KZSelectionTool : public KZGraphicTool, public SWPixelSelectionTarget {
public:
    void observeValueForKeyPath(const QString& keyPath, const QVariant& newValue) override;
    // Also forgets the selection of before the latest invert.
    void resetState() override;
    // A new outline is lifted; a picture (pasted or inverted) floats as it is.
    bool didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& element) override;

    // Fills the path with the back colour, replacing the pixels (no
    // anti-aliasing): exactly the pixels a lift takes out of the path.
    void eraseContentInPath(const QPainterPath& path, QImage& bitmap) const;
    // Exchanges the two versions of the floating picture.
    void swapRepresentations();
    // The floating picture as drawn; null when nothing floats.
    QImage selectedImage() const;

    // The vector tool's own, also as the document's selection target.
    void setImageDataSource(SWImageDataSource* dataSource) override;
    // The picture floats as a new selection (a null one drops the selection).
    void setSelectedImage(const QImage& image) override;
    void setPosition(const QPointF& centre) override;
    void selectAll() override;
    void selectInvert() override;
    bool hasSelectedImage() const override;

    bool shouldOmitBackground() const { return m_shouldOmitBackground; }
    void setShouldOmitBackground(bool omit) { m_shouldOmitBackground = omit; }
    // The selection a second invert floats again; none once the floating
    // picture has moved, been resized, turned or mirrored since the invert.
    std::shared_ptr<KZGraphicElement> oldSelectedElement() const;

protected:
    KZSelectionTool(KZToolboxController* controller, const KZGraphicElementClass* elementClass);

private:
    // Shows the version the transparency switch asks for.
    void showVersionForTransparency();
    KZSelectionImageElement* floatingImage() const;
    void takeUndoStep();
    // A picture floating over the whole canvas: everything that the
    // committed element does not cover.
    std::shared_ptr<KZGraphicElement> inverseOf(const std::shared_ptr<KZGraphicElement>& committed);

    std::shared_ptr<KZGraphicElement> m_oldSelectedElement;
    // The floating picture the invert left, and its placement then.
    std::weak_ptr<KZGraphicElement> m_invertedElement;
    quint64 m_invertedRevision = 0;
    bool m_shouldOmitBackground = false;
};
