#pragma once

#include "VTRImage.h"
#include "VTRImagePosition.h"
#include "VTRTargetAction.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QRectF>

#include <array>
#include <memory>

class QVariantAnimation;

// A flat push or toggle button: a rounded, bordered background, an image
// shown as a mask in a colour of its own, and a title. Border, background,
// image and title each have a colour for off and for on (background and
// title also for disabled), and a change of state animates them. Every
// number starts at 0 and every colour unset (nothing drawn); the owner sets
// them. A press that leaves the button flips it back and cancels the click,
// once tracking is on (awakeFromNib(); a button made in code does not track).
class FBFlatButton : public QAbstractButton {
    Q_OBJECT
public:
    // The layer properties that animate.
    enum class ColorKey { BorderColor, BackgroundColor, ImageColor, TitleColor };

    explicit FBFlatButton(QWidget* parent = nullptr);
    ~FBFlatButton() override;

    // Turns on leaving and re-entering detection, as set up from a layout file.
    void awakeFromNib();
    bool tracksMouse() const { return m_tracksMouse; }

    bool momentary() const { return m_momentary; }
    void setMomentary(bool momentary);
    double onAnimateDuration() const { return m_onAnimateDuration; }
    void setOnAnimateDuration(double seconds) { m_onAnimateDuration = seconds; }
    double offAnimateDuration() const { return m_offAnimateDuration; }
    void setOffAnimateDuration(double seconds) { m_offAnimateDuration = seconds; }
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    double spacing() const { return m_spacing; }
    void setSpacing(double spacing);

    QColor borderNormalColor() const { return m_borderNormalColor; }
    void setBorderNormalColor(const QColor& color);
    QColor borderHighlightColor() const { return m_borderHighlightColor; }
    void setBorderHighlightColor(const QColor& color);
    QColor backgroundNormalColor() const { return m_backgroundNormalColor; }
    void setBackgroundNormalColor(const QColor& color);
    QColor backgroundHighlightColor() const { return m_backgroundHighlightColor; }
    void setBackgroundHighlightColor(const QColor& color);
    QColor backgroundDisabledColor() const { return m_backgroundDisabledColor; }
    void setBackgroundDisabledColor(const QColor& color);
    QColor imageNormalColor() const { return m_imageNormalColor; }
    void setImageNormalColor(const QColor& color);
    QColor imageHighlightColor() const { return m_imageHighlightColor; }
    void setImageHighlightColor(const QColor& color);
    QColor titleNormalColor() const { return m_titleNormalColor; }
    void setTitleNormalColor(const QColor& color);
    QColor titleHighlightColor() const { return m_titleHighlightColor; }
    void setTitleHighlightColor(const QColor& color);
    QColor titleDisabledColor() const { return m_titleDisabledColor; }
    void setTitleDisabledColor(const QColor& color);

    QString title() const { return text(); }
    void setTitle(const QString& title);
    const VTRImage& image() const { return m_image; }
    void setImage(const VTRImage& image);
    VTRImagePosition imagePosition() const { return m_imagePosition; }
    void setImagePosition(VTRImagePosition position);
    bool imageHugsTitle() const { return m_imageHugsTitle; }
    void setImageHugsTitle(bool hugs);
    bool myImageHugsTitle() const { return m_imageHugsTitle; }

    // Off, on or mixed; a change re-colours the button.
    Qt::CheckState state() const { return m_state; }
    void setState(Qt::CheckState state);
    bool isMouseDown() const { return m_mouseDown; }

    VTRTargetAction& targetAction() { return m_targetAction; }

    // The view's own answer to "what is under this point": none while disabled.
    QWidget* hitTest(const QPoint& point);

    // The colour a property shows now (mid-animation included) and the one it
    // is heading to; an invalid colour draws nothing.
    QColor presentedColor(ColorKey key) const;
    QColor modelColor(ColorKey key) const;
    // Animations attached to the layers (they stay after finishing).
    int animationCount() const;
    void removeAllAnimations();

    // Where the image and the title sit; empty when not shown.
    bool showsImage() const { return m_imageShown; }
    QRectF imageFrame() const { return m_imageFrame; }
    bool showsTitle() const { return m_titleShown; }
    QRectF titleFrame() const { return m_titleFrame; }

    void animateColorWithState(Qt::CheckState state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void checkStateSet() override;
    void nextCheckState() override;

private:
    struct AnimatedColor {
        QColor model;
        QVariantAnimation* animation = nullptr; // owned by the button
    };

    void setup();
    void setupImageLayer();
    void setupTitleLayer();
    void setColor(QColor& field, const QColor& color);
    void animateLayer(ColorKey key, const QColor& color, double duration);
    QSizeF titleSize() const;
    void flipState();
    void mouseEntered();
    void mouseExited();

    bool m_momentary = false;
    double m_onAnimateDuration = 0.0;
    double m_offAnimateDuration = 0.0;
    double m_cornerRadius = 0.0;
    double m_borderWidth = 0.0;
    double m_spacing = 0.0;
    QColor m_borderNormalColor;
    QColor m_borderHighlightColor;
    QColor m_backgroundNormalColor;
    QColor m_backgroundHighlightColor;
    QColor m_backgroundDisabledColor;
    QColor m_imageNormalColor;
    QColor m_imageHighlightColor;
    QColor m_titleNormalColor;
    QColor m_titleHighlightColor;
    QColor m_titleDisabledColor;

    VTRImage m_image;
    VTRImagePosition m_imagePosition = VTRImagePosition::NoImage;
    bool m_imageHugsTitle = false;
    Qt::CheckState m_state = Qt::Unchecked;
    bool m_settingState = false;
    bool m_mouseDown = false;
    bool m_tracksMouse = false;
    bool m_pointerInside = false;
    VTRTargetAction m_targetAction;

    std::array<AnimatedColor, 4> m_colors;
    bool m_imageShown = false;
    QRectF m_imageFrame;
    QImage m_imageMask;
    bool m_titleShown = false;
    QRectF m_titleFrame;
};
