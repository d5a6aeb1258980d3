#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <QByteArray>
#include <QImage>
#include "platform/foundation/Timer.h"

#include <cstdint>

// The rectangle selection ("Rectangle Selection"). A drag marks a rectangle
// with a dashed outline; the release lifts its pixels into a floating image
// and fills their place with the back colour. The floating image shows in
// the buffer image inside a moving dashed border (a timer steps it every
// 0.075 s) and follows drags that start inside it. A press outside, a change
// of tool, Escape or a document command pastes it where it is. Lift to paste
// is one undo step, which restores the picture from before the lift.
//
// With the controller's selection transparency on, pixels of the back colour
// in the floating image are left out.
class SWSelectionTool : public SWTool {
public:
    static constexpr int kBorderIntervalMs = 75;

    explicit SWSelectionTool(KZToolboxController* controller);
    ~SWSelectionTool() override;

    void observeValueForKeyPath(const QString& keyPath, const QVariant& newValue) override;
    // Shows the floating image with or without its back-colour pixels.
    void updateBackgroundOmission();

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override { return QCursor(Qt::CrossCursor); }
    QString description() const override { return QStringLiteral("Rectangle Selection"); }
    // The dashed outline (both points are ignored).
    QPainterPath pathFromPoint(const QPointF& from, const QPointF& to) override;
    bool shouldShowContextualMenu() const override { return true; }
    bool shouldShowTransparencyOptions() const override { return true; }

    // One step of the border animation (the timer's tick).
    void drawNewBorder();
    // Shows the floating selection again after the document cleared the
    // buffer (the border may be standing still).
    QRectF draw() override;
    // Drops the floating image: its place keeps the back colour.
    void deleteKey() override;
    // Pastes the floating image where it is.
    void tieUpLooseEnds() override;

    // Floats a picture the caller has put at the top-left of `image` (the
    // image store's buffer) in the rectangle r of the main image. No undo
    // step is taken for it.
    void setClippingRect(const QRectF& r, QImage* image, QImage* mainImage);

    QRectF clippingRect() const { return m_clippingRect; }
    const QImage& selectedImage() const { return m_selectedImage; }
    bool isSelected() const { return m_isSelected; }
    QPointF oldOrigin() const { return m_oldOrigin; }
    // The picture from before the lift, as TIFF data (empty when none).
    QByteArray imageData() const;
    int64_t dottedLineOffset() const { return m_dottedLineOffset; }
    bool isAnimating() const { return m_animationTimer.isActive(); }
    QPoint offset() const { return {int(m_deltax), int(m_deltay)}; }

protected:
    void keepImages(SWImageDataSource* dataSource);
    // Stops the border at a press; starts it at a release that moved.
    void updateAnimation(const QPointF& p, int phase);
    void startAnimation();
    void stopAnimation();
    void clearBuffer();
    // The point clamped into the main image.
    QPointF clampedToCanvas(const QPointF& p) const;
    // Adds one event's motion, each step cut toward whole pixels.
    void followMotion(const QPointF& p, int phase);
    // Where the floating image is drawn and pasted.
    QPointF imagePosition() const;
    // The border's outline and whether it is anti-aliased.
    virtual QPainterPath borderPath();
    virtual bool borderIsAntialiased() const { return false; }
    // Whether the border is a plain rectangle (its path's bounds).
    virtual bool borderIsRectangle() const { return true; }
    // The lifted images from a crop and the back colour.
    void takeLiftedImage(const QImage& lifted);

    QRectF m_clippingRect;
    QImage m_selectedImage;
    QImage m_selImageWithTransparency;
    QImage m_selImageSansTransparency;
    platform::Timer m_animationTimer;
    double m_dottedLineArray[2] = {5.0, 3.0};
    int64_t m_dottedLineOffset = 0;
    QImage m_originalImageCopy;
    QPointF m_previousPoint;
    QPointF m_oldOrigin;
    // The lifted image's top-left corner at the lift (whole pixels).
    QPointF m_imageOrigin;
    bool m_isSelected = false;
    int64_t m_deltax = 0;
    int64_t m_deltay = 0;
    bool m_shouldOmitBackground = false;

private:
    // Redraws the border only, when the buffer still shows the last border
    // drawn and nothing else has moved: the image is unchanged under it.
    bool redrawBorderStrip(QImage& buffer, const QPainterPath& outline);
    void strokeBorder(QPainter& painter, const QPainterPath& outline) const;

    SWDrawnArea m_bufferRecord;
    struct BorderScene {
        qint64 bufferKey = 0;
        qint64 imageKey = 0;
        QPointF imageAt;
        QRectF outline;
        bool valid = false;
    } m_lastBorder;
};
