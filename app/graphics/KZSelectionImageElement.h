#pragma once

#include "KZBitmapImage.h"

// A floating selection: lifted pixels in two versions of equal size, the
// one drawn, copied and committed (image()) and the other one. While the
// transparency switch is off the drawn one is the picture as lifted and the
// other has the background made transparent; swapping exchanges them.
class KZSelectionImageElement : public KZBitmapImage {
public:
    // Made with the picture as lifted drawn and the transparent one behind.
    KZSelectionImageElement(const QImage& drawn, const QImage& other);

    // "selection_image", plain editor.
    static const KZGraphicElementClass& kind();
    const KZGraphicElementClass& elementClass() const override { return kind(); }

    const QImage& otherVersion() const { return m_other; }
    void swapVersions();
    // Whether the drawn version is the one with the background made
    // transparent: each swap turns it over.
    bool showsTransparentVersion() const { return m_showsTransparent; }

private:
    QImage m_other;
    bool m_showsTransparent = false;
};
