#pragma once

#include "KZCustomControlActions.h"

#include "platform/appkit/ButtonCell.h"

#include <QImage>

// A tool-button cell that makes its own pressed and hovered looks once,
// from its image laid over a bezel: the pressed look over the selected
// border, the hovered look over the plain one. Only images of 32 x 32,
// 64 x 32 and 64 x 48 points get them; a cell with any other image has no
// pressed image and shows no image while hovered. The pressed look shows
// while the cell is highlighted; a matrix (SWMatrix) tells it when the
// mouse enters and leaves it.
class SWButtonCell : public platform::ButtonCell, public KZCustomControlActions {
public:
    explicit SWButtonCell(const QImage& image = QImage());

    static bool hasGeneratedLookSize(const QImage& image);

    void generateAltImage_kz();
    void generateHovImage_kz();
    // Earlier looks from the bundle's "pressed…" and "hovered…" images;
    // kept for interface files that ask for them.
    void generateAltImage();
    void generateHovImage();
    static void drawBezelBorderInFrame(QPainter& painter, const QRectF& frame, bool isSelected);

    QImage backupImage() const { return m_backupImage; }
    QImage hovImage() const { return m_hovImage; }
    QImage altImage() const { return m_altImage; }
    // The pressed look, made first when missing.
    QImage alternateImage();
    // Ignored: the cell makes its own.
    void setAlternateImage(const QImage& image) override;

    void mouseEntered() { setIsHovered_(true); }
    void mouseExited() { setIsHovered_(false); }
    // The image becomes the hovered look, or the image as loaded.
    void setIsHovered_(bool hovered);
    void setIsHovered(bool) {}
    bool showsBorderOnlyWhileMouseInside() const { return true; }

    void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override;

    void customControlDrawWithFrame(QWidget*, QPainter&, const QRectF&, const QVariantMap&) override {}
    void customControlMouseDown(QWidget*, QEvent*, const QVariantMap&) override {}
    void customControlMouseUp(QWidget*, QEvent*, const QVariantMap&) override {}
    void customControlMouseEntered(QWidget*, QEvent*, const QVariantMap&) override { mouseEntered(); }
    void customControlMouseExited(QWidget*, QEvent*, const QVariantMap&) override { mouseExited(); }

private:
    QImage composedLook(bool selected) const;
    QImage bundleLook(const QString& small, const QString& wide, const QString& wideTall, bool shadow) const;
    QImage m_backupImage;
    QImage m_hovImage;
    QImage m_altImage;
};
