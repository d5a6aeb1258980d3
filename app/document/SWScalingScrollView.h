#pragma once

#include <QAbstractScrollArea>
#include <QPointer>
#include <QRectF>
#include <QSizeF>

class KZTexturalPopUpButton;
class KZTexturalView;
class SWCenteringClipView;
class SWDocument;

// The zooming scroll view around the canvas. It zooms in seven fixed levels,
// 25% to 1600%, where a level counts canvas pixels against device pixels:
// at 100% one canvas pixel covers one physical screen pixel, also on a screen
// with two device pixels per logical pixel. It shows a level pop-up beside
// the horizontal scroller and posts "kScaleFactorDidChanged" (user info
// "kScaleFactorKey": the new level) after every change of level.
//
// The document view (the canvas) keeps its own coordinates in canvas pixels;
// the scroll view sizes and places the widget at frame size x actual
// magnification logical pixels, with a margin of kContentInset around it.
class SWScalingScrollView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static const QString kScaleFactorDidChanged;
    static const QString kScaleFactorKey;
    // Skin identifiers of the scrollers, the square between them and the
    // level pop-up.
    static const QString kScrollerIdentifier;
    static const QString kScrollerSquareIdentifier;
    static const QString kScalePopUpIdentifier;
    static constexpr double kMinimumScale = 0.25;
    static constexpr double kMaximumScale = 16.0;
    static constexpr int kContentInset = 10;

    explicit SWScalingScrollView(QWidget* parent = nullptr);
    ~SWScalingScrollView() override;

    // The seven levels and their pop-up titles.
    static const QList<double>& scaleLevels();
    // The level a factor snaps to (ties go to the larger level).
    static double snapScaleFactor(double factor);

    // The clip view that holds the document view (becomes the viewport).
    void setContentView(SWCenteringClipView* clipView);
    SWCenteringClipView* contentView() const;
    // The canvas; `frameSize` is its size in its own units (canvas pixels).
    void setDocumentView(QWidget* view);
    QWidget* documentView() const { return m_documentView; }
    void setDocumentFrameSize(const QSizeF& frameSize);
    QSizeF documentFrameSize() const { return m_documentFrameSize; }

    // Level: canvas pixels against device pixels.
    double magnification() const;
    void setMagnification(double level);
    void setMagnificationCenteredAtPoint(double level, const QPointF& documentPoint);
    // Canvas pixels against logical pixels: the factor the canvas is drawn with.
    double actualMagnification() const { return m_actualMagnification; }
    double scaleFactor() const { return magnification(); }
    void setScaleFactor(double factor, bool adjustPopup);
    void setScaleFactorAtPoint(double factor, const QPointF& point, bool adjustPopup);
    void scalePopUpAction(int index);
    KZTexturalPopUpButton* scalePopUpButton() const { return m_scalePopUpButton; }
    KZTexturalView* scrollerSquareView() const { return m_scrollerSquareView; }

    // The visible area without scrollers, in the view's parent coordinates.
    QRectF availableRectOfView(const QWidget* view) const;
    QRectF availableRect() const { return availableRectOfView(this); }

    // The part of the document view that is visible, in canvas units.
    QRectF documentVisibleRect() const;
    // Canvas point shown at a viewport position, and back.
    QPointF documentPointFromViewport(const QPointF& viewportPoint) const;
    QPointF viewportPointFromDocument(const QPointF& documentPoint) const;

    SWDocument* document() const { return m_document; }
    void setDocument(SWDocument* document) { m_document = document; }
    QRect designTimeViewFrame() const { return m_designTimeViewFrame; }
    void setDesignTimeViewFrame(const QRect& frame) { m_designTimeViewFrame = frame; }

signals:
    // The visible area changed size; the overlay follows it.
    void viewportResized();
    // The visible part of the canvas moved.
    void clipViewScrolled();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;

private:
    void postInit();
    void makeScalePopUpButton();
    void layoutDocumentView();
    QSizeF scaledDocumentSize() const;
    void reflectScrolledClipView();

    QPointer<QWidget> m_documentView;
    QSizeF m_documentFrameSize;
    double m_actualMagnification = 1.0;
    KZTexturalPopUpButton* m_scalePopUpButton = nullptr;
    KZTexturalView* m_scrollerSquareView = nullptr;
    SWDocument* m_document = nullptr; // weak: the document owns this view
    QRect m_designTimeViewFrame;
    bool m_laying = false;
};
