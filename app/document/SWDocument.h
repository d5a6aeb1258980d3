#pragma once

#include "KZCanvasResizerDelegate.h"
#include "KZDabBrushListViewDelegate.h"
#include "KZOverlayView.h"
#include "KZOverlayViewDelegate.h"
#include "SWCenteringClipView.h"
#include "SWPaintView.h"
#include "SWScalingScrollView.h"

#include "platform/appkit/Document.h"
#include "platform/appkit/SavePanel.h"
#include "platform/graphics/ImageDecoder.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QSizeF>

#include <memory>
#include <optional>

class KZCanvasResizer;
class KZDabBrushListView;
class KZGraphicElement;
class KZGraphicTool;
class KZOverlayView;
class KZRibbonWindow;
class KZTabView;
class KZToolboxPanel;
class KZToolboxToolbar;
class QToolBar;
class KZViewPanelController;
class KZToolboxController;
class QMouseEvent;
class SWCenteringClipView;
class SWImageDataSource;
class SWPaintView;
class SWResizeWindowController;
class SWSavePanelAccessoryViewController;
class SWScalingScrollView;
class SWSizeWindowController;
class SWTool;
class SWToolbox;
class SWUndoRecorder;
class SWUndoStep;

namespace platform {
class ImageFileLoader;
class SavePanel;
struct Notification;
} // namespace platform

// One open picture: its image store, its window with the canvas, its
// files, its undo steps and the whole-picture commands. Tools reach the
// picture and take their undo steps here.
class SWDocument : public platform::Document,
                   public KZOverlayViewDelegate,
                   public KZCanvasResizerDelegate,
                   public KZDabBrushListViewDelegate {
    Q_OBJECT
public:
    SWDocument();
    ~SWDocument() override;

    // A document holding the clipboard's picture; null when the clipboard
    // holds nothing readable.
    static SWDocument* initFromPasteboard();

    // File name extensions the documents open (every format the image
    // decoder reads).
    static QStringList readableExtensions();
    // The colour "Snow" of the "Crayons" list, or white.
    static QColor snowColor();
    // The size of the next blank canvas: the recorded one, else 400 x 300.
    static QSizeF recordedCanvasSize();

    // -- the store and the window
    SWImageDataSource* dataSource() const { return m_dataSource.get(); }
    // What keeps the undo steps' pictures (for tests that check its marks).
    SWUndoRecorder* undoRecorder() const { return m_undoRecorder.get(); }
    SWPaintView* paintView() const { return m_paintView; }
    SWScalingScrollView* scrollView() const { return m_scrollView; }
    KZOverlayView* overlayView() const { return m_overlayView; }
    // The tool registry; null until the window is set up.
    SWToolbox* toolbox() const { return m_toolbox.get(); }
    // Replaces the registry (the canvas then works with the new one).
    void setToolbox(std::unique_ptr<SWToolbox> toolbox);
    KZToolboxController* toolboxController() const { return m_toolboxController.get(); }
    // The brush chooser beside the canvas; null until the window is set up.
    KZDabBrushListView* brushListView() const;
    // The ribbon: its two tabs, the toolbox's groups and the view groups.
    KZTabView* tabView() const;
    KZToolboxPanel* toolPanel() const;
    // The View tab's controller, made when the tab first shows or when
    // asked for here; null until the window is set up.
    KZViewPanelController* viewPanelController();
    KZRibbonWindow* ribbonWindow() const;
    // The window's update pass, while it is the main window.
    void update();
    // The document's window, or null.
    QWidget* documentWindow() const;
    QSizeF originCanvasSize() const { return m_originCanvasSize; }

    // -- services to tools
    // Records the picture of this moment as one undo step. Both arguments
    // are ignored (callers pass empty ones).
    void handleUndoWithImageData(const QImage& data = {}, const QRectF& frame = {});
    void refreshDisplay();
    void clearOverlayView();
    // A tool asks for its invalid rectangle to be redrawn (a null tool:
    // everything), for example from its timer.
    void refreshImage(SWTool* sender);
    // Redraws the overlay over a canvas rectangle (handles and outlines).
    void setNeedsDisplayForGraphicsAccessory(const QRectF& canvasRect);
    // The canvas rectangle in overlay coordinates (views placed on the
    // overlay over the canvas go by it).
    QRectF canvasRectInOverlay() const;
    // Shows the current tool's cursor while the mouse is over the canvas;
    // the event may be null.
    void handleCursorUpdate(QMouseEvent* event);
    // Whether the event's position lies on the canvas.
    bool mouseInPaintView(const QMouseEvent* event) const;
    bool mouseInCanvasResizerKnobs(const QMouseEvent* event) const;
    void didScrollViewResized();
    void dismissPopUpPanel();
    // Brings the shared font panel to the front.
    void showFontPanel();
    // A colour panel's change: its colour goes to the toolbox controller.
    void changeColor(QObject* sender);

    // -- editing
    void copy();
    void cut();
    // False (after a beep) when the clipboard holds no readable picture.
    bool paste();
    bool pasteFrom();
    // Places a picture with its top-left corner at a canvas point, growing
    // the canvas when it does not fit. False (after a beep, with nothing
    // changed) for a null picture.
    bool pasteImage(const QImage& image, const QPointF& point);
    void writeImageToPasteboard();
    void selectAll();
    void selectInvert();
    void deleteCommand();

    // -- zoom
    // A tool as sender zooms at its saved point.
    void zoomIn(SWTool* senderTool = nullptr);
    void zoomOut(SWTool* senderTool = nullptr);
    void actualSize();
    void eggsZoom(int selectedSegment);
    void changeZoomLevel(bool zoomIn);
    void toggleGridShown();
    // Shows or hides the window toolbar; the view tab's box follows.
    void toggleToolbarShownAndValidate();
    // The window toolbar and its tool controls; null until the window is set
    // up. The controls are made when first asked for here.
    QToolBar* windowToolbar() const;
    KZToolboxToolbar* toolboxToolbar();

    // -- overlay events
    void overlayViewDrawRect(KZOverlayView* view, QPainter* painter, const QRectF& dirtyRect) override;
    void overlayViewMouseDown(KZOverlayView* view, QMouseEvent* event) override;
    void overlayViewMouseDragged(KZOverlayView* view, QMouseEvent* event) override;
    void overlayViewMouseMoved(KZOverlayView* view, QMouseEvent* event) override;
    void overlayViewMouseUp(KZOverlayView* view, QMouseEvent* event) override;
    void overlayViewRightMouseDown(KZOverlayView* view, QMouseEvent* event) override;
    void overlayViewRightMouseDragged(KZOverlayView* view, QMouseEvent* event) override;
    void overlayViewRightMouseUp(KZOverlayView* view, QMouseEvent* event) override;
    void overlayViewKeyDown(KZOverlayView* view, QKeyEvent* event) override;
    void overlayViewKeyUp(KZOverlayView* view, QKeyEvent* event) override;
    void overlayViewMagnificationGesture(KZOverlayView* view, int state, double magnification) override;
    void overlayViewSmartMagnifyWithEvent(KZOverlayView* view, QNativeGestureEvent* event) override;

    // -- sheets and the canvas resizer
    KZCanvasResizer* canvasResizer() const { return m_canvasResizer.get(); }
    // Null until the window is set up.
    SWSizeWindowController* sizeController() const { return m_sizeController.get(); }
    SWResizeWindowController* resizeController() const { return m_resizeController.get(); }
    // Asks for the size of a new picture; Cancel closes the window.
    void raiseSizeSheet();
    void sizeSheetDidEnd(int returnCode);
    // A menu item as sender sets whether the picture is scaled (tag other
    // than 0) or the canvas resized (tag 0).
    void raiseResizeSheet(QObject* sender);
    void resizeSheetDidEnd(int returnCode);
    void canvasResizerDidResizeTo(KZCanvasResizer* resizer, const QRectF& rect) override;

    // -- the brush chooser
    // Loads the chosen brush into the "Brushes" tool; false when the tool
    // did not take it.
    bool dabBrushListView(KZDabBrushListView* listView, KZDabBrushListButton* item) override;

    // -- undo
    // The undo and redo action: records the picture of now as the step back,
    // then brings back the step's canvas size and pixels.
    void restoreImageData(const std::shared_ptr<SWUndoStep>& step);
    void undoOperation();
    void redoOperation();
    void undoLevelChanged(const platform::Notification& notification);

    // -- picture commands
    // The picture at a new size, in one undo step. True when the canvas has
    // that size afterwards; false (nothing changed, no step) for a size the
    // canvas cannot take or memory that cannot be had.
    bool resizeToSize(const QSizeF& size, bool scaleImage);
    // The same, scaled or not as the resize sheet was last asked.
    bool resizeToSize(const QSizeF& size);
    void flipHorizontal();
    void flipVertical();
    void rotateGraphic(double degrees);
    void rotate90R();
    void rotate90L();
    void rotate180();
    void crop();
    // The end of crop: the canvas becomes exactly these pixels, in one step.
    // A size the canvas cannot take changes nothing, registers no step and
    // tells the user why; false then.
    bool cropToBitmap(const QImage& bitmap);
    void invertColors();

    // -- files
    bool readFromFile(const QString& path, const QString& type, QString* error) override;
    // Checks the file's header, gives the canvas the picture's size and
    // decodes the pixels on a thread of their own while the window comes
    // up; the canvas fills when they arrive. Any user input into the window,
    // and every command that reads or changes the picture, waits for them
    // first, so nothing acts on the empty canvas.
    bool beginReadingFromFile(const QString& path, const QString& type, QString* error) override;
    // A picture still decoding arrives now (the caller waits for it).
    void completeReading();
    QByteArray dataOfType(const QString& type, QString* error) override;
    bool prepareSavePanel(platform::SavePanel& panel) override;
    QString fileTypeFromLastRunSavePanel() const override { return m_currentFileType; }
    bool saveDocument() override;
    void printDocument() override;
    void close() override;

    SWSavePanelAccessoryViewController* savePanelAccessoryViewController() const { return m_savePanelAccessory.get(); }

    bool validateMenuItem(platform::MenuItem* item) override;
    // Ribbon buttons answer exactly as the menu items of their action do.
    std::optional<bool> validateUserInterfaceItem(QObject* item, const QString& action, int tag) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void windowControllerDidLoadNib(platform::DocumentWindow* window) override;
    platform::DocumentWindow* makeWindow() override;
    void documentDidRevert() override;
    void commitPendingWork() override { tieUpLooseEnds(); }
    void documentWillRevert() override;

private:
    // The decoded picture (or the failure) of a read begun in the background.
    void pictureDidLoad(platform::ImageDecoder::Result result);
    void setUpPaintViewAndCanvasResizer();
    void placePaintWindowAtScreenCenterIfNeeded();
    void paintViewFrameDidChange();
    // The current tool finishes its work in progress.
    void tieUpLooseEnds();
    void setUpToolsAndCanvasViews(platform::DocumentWindow* window);
    // A ribbon page filled by its panel, the rest of its height left empty.
    static void fillRibbonPage(QWidget* page, QWidget* panel);
    // The chooser's first brush goes into the "Brushes" tool.
    void loadDefaultBrush();
    void handleCurrentToolDidChangedNotification();
    void handleScaleFactorDidChanged();
    // Opens an undo step holding the picture of this moment (null without a store).
    std::shared_ptr<SWUndoStep> beginUndoStep();
    void registerUndoStep(const std::shared_ptr<SWUndoStep>& step);
    // Whether an element is placed over the canvas (its knobs rest then).
    bool hasPlacedElement() const;
    // A beep and a sheet saying why the canvas keeps its size.
    void refuseCanvasSize(const QString& reason);
    // A rectangle of the overlay in canvas coordinates.
    QRectF canvasRectFromOverlayRect(const QRectF& overlayRect) const;
    QPointF overlayPointFromEvent(const QMouseEvent* event) const;
    void addEditingAndZoomActions();
    // The current tool when it is a vector tool.
    KZGraphicTool* currentGraphicTool() const;
    // The current vector tool's element once it is created.
    std::shared_ptr<KZGraphicElement> selectedGraphic() const;
    // The placed element's pixels, when an element is placed.
    std::optional<QImage> selectedGraphicBitmap() const;
    QColor backgroundColorForNewStore() const;

    std::unique_ptr<KZCanvasResizer> m_canvasResizer;
    std::unique_ptr<SWImageDataSource> m_dataSource;
    // The picture being decoded for the canvas, while it is.
    std::unique_ptr<platform::ImageFileLoader> m_loader;
    std::unique_ptr<SWUndoRecorder> m_undoRecorder;
    bool m_compressScheduled = false;
    QSizeF m_originCanvasSize;
    std::unique_ptr<SWSizeWindowController> m_sizeController;
    std::unique_ptr<SWResizeWindowController> m_resizeController;
    QString m_currentFileType;
    std::unique_ptr<SWSavePanelAccessoryViewController> m_savePanelAccessory;
    QPointer<platform::SavePanel> m_runningSavePanel;
    std::unique_ptr<KZToolboxController> m_toolboxController;
    std::unique_ptr<SWToolbox> m_toolbox;
    QPointer<SWScalingScrollView> m_scrollView;
    QPointer<SWCenteringClipView> m_clipView;
    QPointer<SWPaintView> m_paintView;
    QPointer<KZOverlayView> m_overlayView;
    QPointer<KZToolboxPanel> m_toolPanel;
    QPointer<QToolBar> m_windowToolbar;
    QPointer<KZToolboxToolbar> m_toolboxToolbar;
    std::unique_ptr<KZViewPanelController> m_viewPanelController;
    QPointer<QWidget> m_viewPage;
    QPointer<KZTabView> m_tabView;
    QPointer<KZDabBrushListView> m_brushListView;
    bool m_mouseDownInCanvasResizer = false;
    double m_magnificationInGesture = 1.0;
    double m_savedScaleFactor = 0.0;
};
