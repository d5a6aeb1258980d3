#pragma once

#include "KZEdgeInsets.h"
#include "KZImage.h"
#include "KZMultiStateTexture.h"

#include <QMap>
#include <QString>
#include <QStringList>

// The skin of one control part: up to five bundle images, one per state
// letter ("n" normal, "s" selected, "h" hover, "p" pressed, "d" disabled),
// named by the skin's identifier, an underscore and the letter. An
// identifier such as "123_btn_color" whose image is missing falls back to
// the shorter names after each underscore ("btn_color", then "color"), so a
// control may carry images of its own and share the common ones.
//
// Drawing lays the normal image down and then, for each state bit that is
// set, that state's image over it, in the order n, s, h, p, d. Without a
// normal image nothing is drawn.
//
// The images are looked up when first drawn or asked for: a window makes
// hundreds of skins at start-up, many of them for controls that are hidden
// (pop-ups, a toolbar, states such as pressed) and not drawn for a while.
class KZTexturalSkin : public KZMultiStateTexture {
public:
    // Images drawn whole, stretched.
    explicit KZTexturalSkin(const QString& identifier);
    // Images cut at the given values (the controls pass the automatic ones).
    KZTexturalSkin(const QString& identifier, const KZEdgeInsets& capInsets);

    void changeState(std::uint64_t state) override;
    std::uint64_t state() const { return m_oldState; }
    void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override;

    QMap<QString, KZImage::Ptr> loadImages(const QString& identifier);
    // The part of the name after its first underscore; a null text when the
    // name has none.
    static QString nextLevelTitle(const QString& name);
    // The letters in loading order: n, h, s, p, d.
    static QStringList skinStateArray();
    // The image names tried for a letter, in order.
    static QStringList candidateNames(const QString& identifier, const QString& letter);

    QMap<QString, KZImage::Ptr> stateImages() const;
    void setStateImages(const QMap<QString, KZImage::Ptr>& images);
    KZImage::Ptr currentImage() const;
    void setCurrentImage(const KZImage::Ptr& image);
    KZEdgeInsets capInsets() const { return m_capInsets; }

private:
    void setUp(const QString& identifier);
    // Looks the images up the first time they are needed.
    void loadIfNeeded() const;
    KZEdgeInsets m_capInsets;
    std::uint64_t m_oldState = Normal;
    // Empty once the images are looked up (or set).
    mutable QString m_pendingIdentifier;
    mutable QMap<QString, KZImage::Ptr> m_stateImages;
    mutable KZImage::Ptr m_currentImage;
};
