#include "SWDocument.h"

#include "DabBrushTool.h"
#include "KZCanvasResizer.h"
#include "KZDabBrushListButton.h"
#include "KZDabBrushListView.h"
#include "KZGraphicElement.h"
#include "KZGraphicTool.h"
#include "KZGraphicsContext.h"
#include "KZDescendantWalk.h"
#include "KZOverlayView.h"
#include "KZRibbonWindow.h"
#include "KZTabView.h"
#include "KZTexturalSegmentedControl.h"
#include "KZToolboxPanel.h"
#include "KZToolboxToolbar.h"
#include "KZViewPanelController.h"
#include "KZTextElement.h"
#include "KZToolboxController.h"
#include "SWCanvasSizeLimit.h"
#include "SWCenteringClipView.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWPaintView.h"
#include "SWPixelSelectionTarget.h"
#include "SWResizeWindowController.h"
#include "SWScalingScrollView.h"
#include "SWSizeWindowController.h"
#include "SWTool.h"
#include "SWToolbox.h"
#include "SWUndoRecorder.h"
#include "SWUndoStep.h"
#include "SWPrintPanelAccessoryViewController.h"
#include "SWSavePanelAccessoryViewController.h"

#include "platform/appkit/Alert.h"
#include "platform/appkit/Beep.h"
#include "platform/appkit/ColorList.h"
#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/FontPanel.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/PrintOperation.h"
#include "platform/appkit/SavePanel.h"
#include "platform/appkit/UndoManager.h"
#include "platform/appkit/Updatable.h"
#include "platform/foundation/DeferredPerform.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/graphics/ImageFileLoader.h"
#include "platform/outside/MSAnalyticsProxy.h"

#include <algorithm>
#include <QCheckBox>
#include <QToolBar>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {
const QString kRecordedSizeKey = QStringLiteral("SWDocumentRecordedSize");
constexpr double kRecordedSizeLimit = 5000;
constexpr double kDefaultJPEGQuality = 0.8;
constexpr int kSurround = 16;

bool recordableSize(const QSizeF& size)
{
    return size.width() > 0 && size.width() < kRecordedSizeLimit && size.height() > 0 &&
           size.height() < kRecordedSizeLimit;
}
} // namespace

SWDocument::SWDocument()
{
    undoManager()->setLevelsOfUndo(platform::UserDefaults::standard().integer(QStringLiteral("UndoLevels")));
    undoManager()->setByteBudget(platform::UndoManager::defaultByteBudget());
    m_undoRecorder = std::make_unique<SWUndoRecorder>();
    // The picture's write marks tell each step where to look, so a plain
    // copy of the picture costs a step only the tiles it copies. A copy
    // that shares pages with the picture costs one picture less memory but
    // page-table work on every step (mapping, dropping and copying pages
    // again, and every processor forgetting its page translations), which
    // on virtual machines took tens of times longer than the step itself.
    m_undoRecorder->setSharing(false);
    // An emptied history (a revert, closing) leaves nothing for the recorder
    // to complete.
    connect(undoManager(), &platform::UndoManager::changed, this, [this](platform::UndoManager::Change change) {
        if (change == platform::UndoManager::Change::Cleared)
            m_undoRecorder->reset();
    });
    m_toolboxController = std::make_unique<KZToolboxController>();
    m_canvasResizer = std::make_unique<KZCanvasResizer>();
    m_canvasResizer->setDelegate(this);
    m_dataSource = SWImageDataSource::create(recordedCanvasSize(), snowColor());
    if (m_dataSource)
        m_originCanvasSize = m_dataSource->canvasSize();
    addEditingAndZoomActions();

    addAction(QStringLiteral("undoOperation:"), [this](QObject*) { undoOperation(); });
    addAction(QStringLiteral("redoOperation:"), [this](QObject*) { redoOperation(); });
    addAction(QStringLiteral("flipHorizontal:"), [this](QObject*) { flipHorizontal(); });
    addAction(QStringLiteral("flipVertical:"), [this](QObject*) { flipVertical(); });
    addAction(QStringLiteral("rotate90R:"), [this](QObject*) { rotate90R(); });
    addAction(QStringLiteral("rotate90L:"), [this](QObject*) { rotate90L(); });
    addAction(QStringLiteral("rotate180:"), [this](QObject*) { rotate180(); });
    addAction(QStringLiteral("crop:"), [this](QObject*) { crop(); });
    addAction(QStringLiteral("invertColors:"), [this](QObject*) { invertColors(); });
    addAction(QStringLiteral("raiseSizeSheet:"), [this](QObject*) { raiseSizeSheet(); });
    addAction(QStringLiteral("raiseResizeSheet:"), [this](QObject* sender) { raiseResizeSheet(sender); });
    addAction(QStringLiteral("changeColor:"), [this](QObject* sender) { changeColor(sender); });
    addAction(QStringLiteral("showFontPanel:"), [this](QObject*) { showFontPanel(); });
    // The window answers it; the document passes it on from the menu.
    addAction(KZRibbonWindow::kToggleRibbonPanel, [this](QObject* sender) {
        if (KZRibbonWindow* w = ribbonWindow())
            w->toggleRibbonPanel(sender);
    });
}

SWDocument::~SWDocument()
{
    // A picture still decoding is not waited for: its read fails at once.
    if (m_loader) {
        m_loader.reset();
        qApp->removeEventFilter(this);
    }
    // Observers go first, so nothing calls into a half-destroyed document.
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (m_toolboxController)
        m_toolboxController->setToolbarMaker({});
    platform::DeferredPerform::shared().cancel(this);
    if (m_brushListView)
        m_brushListView->setDelegate(nullptr);
    if (m_overlayView) {
        m_overlayView->setDelegate(nullptr);
        m_overlayView->mouseEnteredTrackingAreaProperty().removeObserver(this);
    }
    if (m_savePanelAccessory)
        m_savePanelAccessory->currentFileType().removeObserver(this);
    // The undo steps call back into this document: drop them before the
    // store they restore into goes.
    undoManager()->removeAllActions();
    disconnect(undoManager(), nullptr, this, nullptr);
    if (m_paintView) {
        m_paintView->preparePaintViewWithDataSource(nullptr, nullptr);
        m_paintView->setDocument(nullptr);
    }
    // The tools observe the controller: they go first.
    m_toolbox.reset();
    if (m_toolboxController)
        m_toolboxController->removeObserver(this);
    m_toolboxController.reset();
    m_sizeController.reset();
    m_resizeController.reset();
    if (m_canvasResizer)
        m_canvasResizer->setDelegate(nullptr);
    m_canvasResizer.reset();
}

SWDocument* SWDocument::initFromPasteboard()
{
    auto* document = new SWDocument;
    document->m_dataSource = SWImageDataSource::fromPasteboard(QGuiApplication::clipboard()->mimeData(), snowColor());
    if (!document->m_dataSource) {
        delete document;
        return nullptr;
    }
    document->m_originCanvasSize = document->m_dataSource->canvasSize();
    return document;
}

QStringList SWDocument::readableExtensions()
{
    QStringList extensions;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        extensions << QString::fromLatin1(format).toLower();
    extensions.removeDuplicates();
    return extensions;
}

QColor SWDocument::snowColor()
{
    if (const platform::ColorList* crayons = platform::ColorList::named(QStringLiteral("Crayons"))) {
        if (const auto snow = crayons->colorWithKey(QStringLiteral("Snow")))
            return *snow;
    }
    return Qt::white;
}

QSizeF SWDocument::recordedCanvasSize()
{
    auto& defaults = platform::UserDefaults::standard();
    const QString text = defaults.string(kRecordedSizeKey);
    const QSizeF size = text.isEmpty() ? QSizeF(400, 300) : platform::sizeFromString(text);
    // Only sizes that closing can record are taken; an edited settings file
    // must not make an empty or gigantic canvas.
    if (!recordableSize(size) || size.width() < 1 || size.height() < 1)
        return {400, 300};
    return {std::floor(size.width()), std::floor(size.height())};
}

QColor SWDocument::backgroundColorForNewStore() const
{
    if (m_toolboxController && m_toolboxController->backgroundColor().isValid())
        return m_toolboxController->backgroundColor();
    return snowColor();
}

QWidget* SWDocument::documentWindow() const
{
    return window();
}

// ---------------------------------------------------------------- window

void SWDocument::windowControllerDidLoadNib(platform::DocumentWindow* window)
{
    const double scale = window->devicePixelRatioF();
    if (scale > 0 && m_dataSource && m_dataSource->pixelPerPoint() == 0)
        m_dataSource->setPixelPerPoint(scale);

    setUpToolsAndCanvasViews(window);
    if (!m_sizeController)
        m_sizeController = std::make_unique<SWSizeWindowController>();
    if (!m_resizeController)
        m_resizeController = std::make_unique<SWResizeWindowController>();

    if (m_dataSource)
        setUpPaintViewAndCanvasResizer();
    handleCurrentToolDidChangedNotification();

    platform::NotificationCenter::defaultCenter().addObserver(
        this, SWScalingScrollView::kScaleFactorDidChanged, m_scrollView.data(),
        [this](const platform::Notification&) { handleScaleFactorDidChanged(); });
    platform::NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("UndoLevels"), nullptr,
        [this](const platform::Notification& n) { undoLevelChanged(n); });
    platform::NotificationCenter::defaultCenter().addObserver(
        this, SWToolbox::kCurrentToolDidChangedNotification, m_toolbox.get(),
        [this](const platform::Notification&) { handleCurrentToolDidChangedNotification(); });
    m_toolboxController->addObserver(this, KZToolboxController::kBackgroundColor, [this](const QVariant& value) {
        const QColor color = value.value<QColor>();
        if (color.isValid() && m_dataSource)
            m_dataSource->setBackgroundColor(color);
    });
}

void SWDocument::setUpPaintViewAndCanvasResizer()
{
    if (!m_paintView)
        return;
    m_paintView->preparePaintViewWithDataSource(m_dataSource.get(), m_toolbox.get());
    if (platform::DocumentWindow* w = window()) {
        // A window that shows the whole canvas, as far as the screen allows.
        QSize content = m_paintView->calculateWindowContentSize(
            m_paintView->widgetRectFromCanvasRect(m_paintView->frame()));
        // Wide enough for every ribbon group in full, as far as the screen allows.
        const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
        if (m_toolPanel && screen && content.width() > 0)
            content.setWidth(std::max(content.width(), std::min(m_toolPanel->preferredWidth(),
                                                                screen->availableGeometry().width())));
        if (content.width() > 0 && content.height() > 0)
            w->resize(content);
    }
    placePaintWindowAtScreenCenterIfNeeded();
    if (m_scrollView && m_canvasResizer)
        m_canvasResizer->setScaleFactor(m_scrollView->actualMagnification());
}

void SWDocument::handleScaleFactorDidChanged()
{
    if (KZGraphicTool* tool = currentGraphicTool(); tool && m_scrollView)
        tool->context()->setZoomFactor(m_scrollView->actualMagnification());
    if (m_scrollView && m_canvasResizer)
        m_canvasResizer->setScaleFactor(m_scrollView->actualMagnification());
}

void SWDocument::placePaintWindowAtScreenCenterIfNeeded()
{
    platform::DocumentWindow* w = window();
    if (!w || platform::DocumentController::shared().documents().size() >= 2)
        return;
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = w->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
}

void SWDocument::paintViewFrameDidChange()
{
    if (m_paintView && m_dataSource)
        m_paintView->setFrame(QRectF(QPointF(0, 0), m_dataSource->canvasSize()));
    if (m_clipView)
        m_clipView->update();
}

void SWDocument::refreshDisplay()
{
    if (m_paintView)
        m_paintView->clearOverlayOnly();
    if (SWTool* tool = m_toolbox ? m_toolbox->currentTool() : nullptr)
        tool->draw();
    if (m_paintView)
        m_paintView->update();
    clearOverlayView();
}

void SWDocument::changeColor(QObject* sender)
{
    // The colour panel's colour goes on to the toolbox's colour group.
    auto* panel = qobject_cast<platform::ColorPanel*>(sender);
    if (m_toolboxController)
        m_toolboxController->changeColor((panel ? panel : &platform::ColorPanel::shared())->color());
}

void SWDocument::documentWillRevert()
{
    // A floating piece, an unfinished curve or a running bomb would land on
    // the picture read back: the work ends here, on the picture that goes.
    tieUpLooseEnds();
    if (m_dataSource)
        SWImageTools::clearImage(m_dataSource->bufferImage());
}

void SWDocument::documentDidRevert()
{
    m_originCanvasSize = m_dataSource ? m_dataSource->canvasSize() : QSizeF();
    paintViewFrameDidChange();
}

// ---------------------------------------------------------------- undo

void SWDocument::handleUndoWithImageData(const QImage&, const QRectF&)
{
    registerUndoStep(beginUndoStep());
}

std::shared_ptr<SWUndoStep> SWDocument::beginUndoStep()
{
    // The history starts from the picture read, never from the empty canvas.
    completeReading();
    if (!m_dataSource)
        return std::make_shared<SWUndoStep>();
    return m_undoRecorder->beginStep(m_dataSource->mainImage(), &m_dataSource->mainImageMarks());
}

void SWDocument::registerUndoStep(const std::shared_ptr<SWUndoStep>& step)
{
    undoManager()->registerUndo([this, step] { restoreImageData(step); }, [step] { return step->byteSize(); });
    // Opening this step completed the one before, which now has its size.
    undoManager()->trimToBudget();
    if (m_undoRecorder->hasUncompressed() && !m_compressScheduled) {
        // Deflated once the event is handled: the user does not wait for it.
        m_compressScheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_compressScheduled = false;
            m_undoRecorder->compressCompleted();
            undoManager()->trimToBudget();
        });
    }
}

void SWDocument::restoreImageData(const std::shared_ptr<SWUndoStep>& step)
{
    handleUndoWithImageData();
    if (!m_dataSource || !step || !step->isComplete() || step->size().isEmpty())
        return;
    m_dataSource->resizeToSize(QSizeF(step->size()), false);
    m_undoRecorder->apply(*step, m_dataSource->mainImage(), &m_dataSource->mainImageMarks());
    paintViewFrameDidChange();
}

void SWDocument::undoOperation()
{
    tieUpLooseEnds();
    undoManager()->undo();
}

void SWDocument::redoOperation()
{
    tieUpLooseEnds();
    undoManager()->redo();
}

void SWDocument::undoLevelChanged(const platform::Notification& notification)
{
    undoManager()->setLevelsOfUndo(notification.object.toInt());
}

// ---------------------------------------------------------------- commands

bool SWDocument::resizeToSize(const QSizeF& size, bool scaleImage)
{
    if (!m_dataSource)
        return false;
    if (size == m_dataSource->drawableRect().size())
        return true;
    if (!SWCanvasSizeLimit::allows(size))
        return false;
    tieUpLooseEnds();
    // The step holds the picture of before; it is registered only once the
    // new bitmaps exist, so a resize that runs out of memory leaves no step
    // that would "undo" nothing.
    const std::shared_ptr<SWUndoStep> before = beginUndoStep();
    if (!m_dataSource->resizeToSize(size, scaleImage))
        return false;
    registerUndoStep(before);
    paintViewFrameDidChange();
    return true;
}

bool SWDocument::resizeToSize(const QSizeF& size)
{
    return resizeToSize(size, m_resizeController && m_resizeController->scales());
}

// ---------------------------------------------------------------- sheets

void SWDocument::raiseSizeSheet()
{
    if (!m_sizeController || !window())
        return;
    m_sizeController->beginSheet(window(), [this](int code) { sizeSheetDidEnd(code); });
}

void SWDocument::sizeSheetDidEnd(int returnCode)
{
    if (returnCode != 1) {
        if (platform::DocumentWindow* w = window())
            w->close();
        return;
    }
    const QSizeF size(m_sizeController->width(), m_sizeController->height());
    const QColor background = backgroundColorForNewStore();
    // The same store object takes the new canvas, so everything that holds
    // it (the canvas view, the tools) sees the new picture.
    const bool made = m_dataSource ? m_dataSource->customInit(size, background)
                                   : bool(m_dataSource = SWImageDataSource::create(size, background));
    if (!made) {
        platform::Beep::play();
        return;
    }
    setUpPaintViewAndCanvasResizer();
    handleCurrentToolDidChangedNotification();
    clearOverlayView();
}

void SWDocument::raiseResizeSheet(QObject* sender)
{
    if (!m_resizeController || !m_dataSource || !window())
        return;
    if (auto* item = qobject_cast<platform::MenuItem*>(sender))
        m_resizeController->setScales(item->tag() != 0);
    m_resizeController->setCurrentSize(m_dataSource->canvasSize());
    m_resizeController->beginSheet(window(), [this](int code) { resizeSheetDidEnd(code); });
}

void SWDocument::resizeSheetDidEnd(int returnCode)
{
    if (returnCode != 1 || !m_dataSource)
        return;
    const QSizeF size(m_resizeController->width(), m_resizeController->height());
    if (size == m_dataSource->canvasSize())
        return;
    if (!resizeToSize(size))
        platform::Beep::play();
    clearOverlayView();
}

void SWDocument::canvasResizerDidResizeTo(KZCanvasResizer*, const QRectF& rect)
{
    const QRectF inCanvas = canvasRectFromOverlayRect(rect);
    const QSizeF size(std::round(inCanvas.width()), std::round(inCanvas.height()));
    if (m_dataSource && size == m_dataSource->drawableRect().size())
        return;
    // A drag ending a fraction past the opposite edge, or far beyond what a
    // canvas may hold, is refused rather than attempted, and says why.
    const QString refusal = SWCanvasSizeLimit::refusalReason(size);
    if (!refusal.isEmpty()) {
        refuseCanvasSize(refusal);
    } else if (!resizeToSize(size, false)) {
        platform::Beep::play();
    }
    clearOverlayView();
}

void SWDocument::flipHorizontal()
{
    dismissPopUpPanel();
    if (!m_dataSource)
        return;
    if (const std::shared_ptr<KZGraphicElement> element = selectedGraphic()) {
        element->flip(false);
        refreshDisplay();
        return;
    }
    handleUndoWithImageData();
    {
        auto write = m_dataSource->writeMainImage(m_dataSource->drawableRect());
        SWImageTools::flipImageHorizontal(write.image());
    }
    refreshDisplay();
}

void SWDocument::flipVertical()
{
    dismissPopUpPanel();
    if (!m_dataSource)
        return;
    if (const std::shared_ptr<KZGraphicElement> element = selectedGraphic()) {
        element->flip(true);
        refreshDisplay();
        return;
    }
    handleUndoWithImageData();
    {
        auto write = m_dataSource->writeMainImage(m_dataSource->drawableRect());
        SWImageTools::flipImageVertical(write.image());
    }
    refreshDisplay();
}

void SWDocument::rotateGraphic(double degrees)
{
    if (!m_dataSource)
        return;
    if (const std::shared_ptr<KZGraphicElement> element = selectedGraphic()) {
        element->rotate(degrees);
        refreshDisplay();
        return;
    }
    tieUpLooseEnds();
    handleUndoWithImageData();
    if (degrees == 90) {
        m_dataSource->rotate(true);
    } else if (degrees == -90) {
        m_dataSource->rotate(false);
    } else if (degrees == 180) {
        m_dataSource->rotate(true);
        m_dataSource->rotate(true);
    }
    paintViewFrameDidChange();
}

void SWDocument::rotate90R()
{
    dismissPopUpPanel();
    rotateGraphic(90);
}

void SWDocument::rotate90L()
{
    dismissPopUpPanel();
    rotateGraphic(-90);
}

void SWDocument::rotate180()
{
    dismissPopUpPanel();
    rotateGraphic(180);
}

void SWDocument::crop()
{
    dismissPopUpPanel();
    const std::shared_ptr<KZGraphicElement> placed = selectedGraphic();
    if (!placed)
        return;
    const std::optional<QImage> bitmap = selectedGraphicBitmap();
    if (!bitmap) {
        // Stretched beyond what a canvas may hold, or flattened below a pixel.
        const QString reason = SWCanvasSizeLimit::refusalReason(placed->bounds().size());
        refuseCanvasSize(reason.isEmpty() ? QStringLiteral("The element has no pixels to keep.") : reason);
        return;
    }
    tieUpLooseEnds();
    cropToBitmap(*bitmap);
}

bool SWDocument::cropToBitmap(const QImage& bitmap)
{
    if (!m_dataSource || bitmap.isNull())
        return false;
    const QSizeF size(bitmap.size());
    const QString refusal = SWCanvasSizeLimit::refusalReason(size);
    if (!refusal.isEmpty()) {
        refuseCanvasSize(refusal);
        return false;
    }
    // The step is registered only once the canvas has its new size: a step
    // of a crop that never happened would undo nothing.
    const std::shared_ptr<SWUndoStep> before = beginUndoStep();
    if (!m_dataSource->resizeToSize(size, false)) {
        refuseCanvasSize(QStringLiteral("There is not enough memory for a picture of %1 x %2 pixels.")
                             .arg(bitmap.width())
                             .arg(bitmap.height()));
        return false;
    }
    registerUndoStep(before);
    m_dataSource->restoreMainImageFromData(bitmap);
    paintViewFrameDidChange();
    return true;
}

void SWDocument::refuseCanvasSize(const QString& reason)
{
    platform::Beep::play();
    platform::Alert alert;
    alert.setStyle(platform::Alert::Style::Informational);
    alert.setMessageText(QStringLiteral("The canvas cannot take that size."));
    alert.setInformativeText(reason);
    alert.beginSheetModal(window(), nullptr);
}

void SWDocument::invertColors()
{
    if (!m_dataSource)
        return;
    handleUndoWithImageData();
    {
        auto write = m_dataSource->writeMainImage(m_dataSource->drawableRect());
        SWImageTools::invertImage(write.image());
    }
    if (m_paintView)
        m_paintView->update();
}

bool SWDocument::validateMenuItem(platform::MenuItem* item)
{
    const QString action = item->actionName();
    if (action == KZRibbonWindow::kToggleRibbonPanel) {
        KZRibbonWindow* w = ribbonWindow();
        return w && w->validateMenuItem(item);
    }
    if (action == QLatin1String("undoOperation:"))
        return undoManager()->canUndo();
    if (action == QLatin1String("redoOperation:"))
        return undoManager()->canRedo();
    // Copy, cut and crop ask only whether something is placed: validation
    // runs at every key press and menu opening, and rendering the element
    // here would cost a canvas-sized bitmap each time. Crop does not take a
    // text box's empty pixels.
    if (action == QLatin1String("crop:")) {
        const std::shared_ptr<KZGraphicElement> placed = selectedGraphic();
        return placed && !std::dynamic_pointer_cast<KZTextElement>(placed);
    }
    if (action == QLatin1String("raiseResizeSheet:") || action == QLatin1String("raiseSizeSheet:"))
        return m_dataSource != nullptr && window() != nullptr;
    if (action == QLatin1String("copy:") || action == QLatin1String("cut:"))
        return selectedGraphic() != nullptr;
    if (action == QLatin1String("paste:"))
        return platform::Pasteboard::general().types().contains(platform::Pasteboard::tiffType());
    if (action == QLatin1String("zoomIn:"))
        return m_scrollView && m_scrollView->scaleFactor() < SWScalingScrollView::kMaximumScale;
    if (action == QLatin1String("zoomOut:"))
        return m_scrollView && m_scrollView->scaleFactor() > SWScalingScrollView::kMinimumScale;
    if (action == QLatin1String("toggleGridShown:")) {
        const bool shown = m_paintView && m_paintView->showsGrid();
        item->setText(shown ? tr("Hide Gridlines") : tr("Show Gridlines"));
        return true;
    }
    if (action == QLatin1String("toggleToolbarShownAndValidate:")) {
        const bool shown = m_windowToolbar && !m_windowToolbar->isHidden();
        item->setText(shown ? tr("Hide Toolbar") : tr("Show Toolbar"));
        return true;
    }
    if (action == QLatin1String("selectInvert:")) {
        const auto* selection =
            dynamic_cast<const SWPixelSelectionTarget*>(m_toolbox ? m_toolbox->currentTool() : nullptr);
        return selection && selection->hasSelectedImage();
    }
    return platform::Document::validateMenuItem(item);
}

std::optional<bool> SWDocument::validateUserInterfaceItem(QObject* item, const QString& action, int tag)
{
    // The ribbon's own toggle labels itself from the window.
    if (action == KZRibbonWindow::kToggleRibbonPanel) {
        KZRibbonWindow* w = ribbonWindow();
        return w ? w->validateUserInterfaceItem(item, action, tag) : std::nullopt;
    }
    // A stand-in item: the menu validation may retitle it, a button keeps
    // its own title.
    platform::MenuItem asMenuItem(QString(), action);
    asMenuItem.setTag(tag);
    return validateMenuItem(&asMenuItem);
}

// ---------------------------------------------------------------- files

bool SWDocument::readFromFile(const QString& path, const QString&, QString* error)
{
    completeReading();
    const QColor background = backgroundColorForNewStore();
    QString reason;
    if (m_dataSource) {
        if (!m_dataSource->readFromFile(path, background, &reason)) {
            if (error)
                *error = reason;
            return false;
        }
    } else {
        m_dataSource = SWImageDataSource::fromFile(path, background, &reason);
        if (!m_dataSource) {
            if (error)
                *error = reason;
            return false;
        }
        handleCurrentToolDidChangedNotification();
    }
    m_originCanvasSize = m_dataSource->canvasSize();
    return true;
}

QByteArray SWDocument::dataOfType(const QString& type, QString* error)
{
    completeReading();
    if (!m_dataSource) {
        if (error)
            *error = QStringLiteral("There is no picture to write.");
        return {};
    }
    // "jpeg", "TIFF" and the like name the same encoders as "jpg" and "tif".
    QString normalised = SWImageTools::convertFileType(type);
    const double quality = m_savePanelAccessory ? m_savePanelAccessory->imageQuality() : kDefaultJPEGQuality;
    return platform::ImageEncoder::encode(m_dataSource->mainImage(), normalised, quality, m_dataSource->pixelPerPoint(),
                                          error);
}

bool SWDocument::prepareSavePanel(platform::SavePanel& panel)
{
    tieUpLooseEnds();
    if (!m_savePanelAccessory) {
        m_savePanelAccessory = std::make_unique<SWSavePanelAccessoryViewController>();
        m_savePanelAccessory->currentFileType().observe(this, [this](const QString&, const QString& type) {
            if (type.isEmpty())
                return;
            m_currentFileType = type;
            if (m_runningSavePanel)
                m_runningSavePanel->setAllowedFileTypes({type});
        });
    }
    const QString title = platform::UserDefaults::standard().string(QStringLiteral("FileType"));
    m_currentFileType = SWImageTools::convertFileType(title);
    if (m_currentFileType.isEmpty())
        m_currentFileType = QStringLiteral("png");
    m_savePanelAccessory->loadView();
    if (QWidget* view = m_savePanelAccessory->viewForFileType(title))
        panel.setAccessoryView(view);
    panel.setAllowedFileTypes({m_currentFileType});
    // A name typed with one of the types' extensions chooses that type: the
    // pop-up follows, and the data written matches the name.
    QStringList writable;
    for (const QString& title : SWSavePanelAccessoryViewController::fileTypeTitles())
        writable << SWImageTools::convertFileType(title);
    panel.setTypesChosenByName(writable);
    QObject::connect(&panel, &platform::SavePanel::typeChosenByName, &panel, [this](const QString& type) {
        if (m_savePanelAccessory)
            m_savePanelAccessory->selectFileType(type);
    });
    m_runningSavePanel = &panel;
    return true;
}

bool SWDocument::saveDocument()
{
    tieUpLooseEnds();
    return platform::Document::saveDocument();
}

void SWDocument::printDocument()
{
    platform::MSAnalyticsProxy::trackEvent(QStringLiteral("Print Document"));
    tieUpLooseEnds();
    if (!m_dataSource)
        return;
    platform::PrintOperation operation(m_dataSource->mainImage(), &printInfo());
    SWPrintPanelAccessoryViewController accessory;
    accessory.setRepresentedObject(&printInfo());
    operation.setAccessoryView(accessory.view(), QStringLiteral("Picture"));
    operation.runModalForWindow(window());
}

void SWDocument::close()
{
    if (isClosing())
        return;
    // Nobody will see a picture still decoding.
    if (m_loader) {
        m_loader.reset();
        qApp->removeEventFilter(this);
    }
    // The tools' timers stop with their work, before the window goes.
    tieUpLooseEnds();
    if (m_dataSource) {
        const QSizeF size = m_dataSource->canvasSize();
        if (recordableSize(size) && size != m_originCanvasSize)
            platform::UserDefaults::standard().setSize(kRecordedSizeKey, size);
        m_originCanvasSize = size;
    }
    platform::Document::close();
}

// ---------------------------------------------------------------- tools and canvas views

platform::DocumentWindow* SWDocument::makeWindow()
{
    return new KZRibbonWindow(this);
}

KZTabView* SWDocument::tabView() const
{
    return m_tabView;
}

KZToolboxPanel* SWDocument::toolPanel() const
{
    return m_toolPanel;
}

KZRibbonWindow* SWDocument::ribbonWindow() const
{
    return qobject_cast<KZRibbonWindow*>(window());
}

void SWDocument::update()
{
    if (m_toolboxController)
        m_toolboxController->update();
    if (m_viewPanelController)
        m_viewPanelController->update();
    // The toolbar's controls that enable themselves from the validation of
    // their actions.
    if (m_toolboxToolbar)
        KZDescendantWalk::enumerateDescendantsUsingBlock(m_toolboxToolbar, [](QWidget* view, int, bool*) {
            if (auto* updatable = dynamic_cast<platform::Updatable*>(view))
                updatable->performUpdate();
        });
}

void SWDocument::setUpToolsAndCanvasViews(platform::DocumentWindow* window)
{
    // The zooming canvas below the ribbon.
    auto* content = new QWidget(window);
    content->setObjectName(QStringLiteral("documentView"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_scrollView = new SWScalingScrollView(content);
    m_clipView = new SWCenteringClipView;
    m_scrollView->setContentView(m_clipView);
    m_scrollView->setDocument(this);
    m_paintView = new SWPaintView;
    m_paintView->setDocument(this);
    m_scrollView->setDocumentView(m_paintView);
    m_overlayView = new KZOverlayView(m_clipView);
    m_overlayView->setGeometry(m_clipView->rect());
    m_overlayView->raise();
    m_overlayView->setDelegate(this);
    m_overlayView->mouseEnteredTrackingAreaProperty().observe(this,
                                                              [this](bool, bool) { handleCursorUpdate(nullptr); });
    QObject::connect(m_scrollView, &SWScalingScrollView::viewportResized, this, [this] { didScrollViewResized(); });
    QObject::connect(m_scrollView, &SWScalingScrollView::clipViewScrolled, this, [this] {
        setNeedsDisplayForGraphicsAccessory(QRectF(0, 0, 3.4028234663852886e38, 3.4028234663852886e38));
    });
    m_scrollView->setScaleFactor(1.0, true);
    m_paintView->setBackgroundColor(Qt::transparent);
    column->addWidget(m_scrollView, 1);

    m_toolbox = std::make_unique<SWToolbox>(this, m_toolboxController.get());

    // The brush chooser shows in the Brushes group's pop-up.
    m_brushListView = new KZDabBrushListView;
    m_toolPanel = new KZToolboxPanel(m_toolboxController.get(), m_toolbox->labels(), m_brushListView);
    m_tabView = new KZTabView;
    m_tabView->setObjectName(QStringLiteral("ribbonTabs"));
    // The tab view puts each page on a skinned background of its own; the
    // panels fill their pages' width from then on.
    m_tabView->addTabViewItem(tr("Home"), new QWidget);
    m_tabView->addTabViewItem(tr("View"), new QWidget);
    fillRibbonPage(m_tabView->tabViewItem(0).view, m_toolPanel);
    // The View tab's controls are made when its page first shows: the
    // window opens on the Home tab.
    m_viewPage = m_tabView->tabViewItem(1).view;
    if (m_viewPage)
        m_viewPage->installEventFilter(this);
    m_tabView->selectTabViewItemAtIndex(0);
    // The menu bar has a View menu: the tabs are found by names of their own.
    if (KZTexturalSegmentedControl* tabs = m_tabView->labelSegments()) {
        tabs->setAccessibleNameForSegment(tr("Home Tab"), 0);
        tabs->setAccessibleNameForSegment(tr("View Tab"), 1);
    }
    m_tabView->setFixedHeight(KZTabView::kLabelBarHeight + KZToolboxPanel::kGroupHeight);
    // Narrower, the ribbon's last controls would be cut off out of reach.
    window->setMinimumWidth(std::max(window->minimumWidth(), m_toolPanel->smallestWidth()));

    if (KZRibbonWindow* ribbon = qobject_cast<KZRibbonWindow*>(window)) {
        auto* strip = new QVBoxLayout(ribbon->ribbonPanel());
        strip->setContentsMargins(0, 0, 0, 0);
        strip->addWidget(m_tabView);
        ribbon->setDocumentView(content);
        ribbon->setDocumentUpdate([this] { update(); });
        ribbon->awakeFromNib();
    } else {
        // A plain window: the ribbon above the canvas all the same.
        auto* holder = new QWidget(window);
        auto* stack = new QVBoxLayout(holder);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(0);
        stack->addWidget(m_tabView);
        stack->addWidget(content, 1);
        window->setCentralWidget(holder);
    }
    // The window toolbar, hidden until asked for; its tool controls are
    // made when it first shows or when asked for.
    m_windowToolbar = new QToolBar(tr("Toolbar"), window);
    m_windowToolbar->setObjectName(QStringLiteral("windowToolbar"));
    m_windowToolbar->setMovable(false);
    m_windowToolbar->setFloatable(false);
    // Shown and hidden only through the document, so that the view tab's
    // box and the View menu's title always tell the truth: no context menu
    // of the window's own that would hide it behind their back.
    m_windowToolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    window->addToolBar(Qt::TopToolBarArea, m_windowToolbar);
    m_windowToolbar->hide();
    m_toolboxController->setToolbarMaker([this] { toolboxToolbar(); });
    loadDefaultBrush();
    m_scrollView->setDesignTimeViewFrame(m_scrollView->geometry());
    m_overlayView->setFocus();
}

void SWDocument::fillRibbonPage(QWidget* page, QWidget* panel)
{
    auto* fill = new QVBoxLayout(page);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(panel);
    fill->addStretch(1);
}

KZViewPanelController* SWDocument::viewPanelController()
{
    if (m_viewPanelController || !m_viewPage)
        return m_viewPanelController.get();
    m_viewPanelController = std::make_unique<KZViewPanelController>();
    QWidget* panel = m_viewPanelController->view();
    fillRibbonPage(m_viewPage, panel);
    // The boxes show the window as it is now: the grid and the toolbar may
    // have been toggled from the menus before the tab was made.
    m_viewPanelController->showGridCheckBox()->setChecked(m_paintView && m_paintView->showsGrid());
    m_viewPanelController->showToolbarCheckBox()->setChecked(m_windowToolbar && !m_windowToolbar->isHidden());
    if (m_viewPage->isVisible()) {
        // Made as the page shows: laid out now, before it is drawn.
        panel->show();
        m_viewPage->layout()->activate();
    }
    m_viewPanelController->update();
    return m_viewPanelController.get();
}

KZDabBrushListView* SWDocument::brushListView() const
{
    return m_brushListView;
}

void SWDocument::loadDefaultBrush()
{
    auto* tool = m_toolbox ? dynamic_cast<DabBrushTool*>(m_toolbox->toolForLabel(QStringLiteral("Brushes"))) : nullptr;
    if (!tool || !m_brushListView)
        return;
    m_brushListView->setDelegate(this);
    tool->loadBrushWithFilePath(m_brushListView->brushFilePathFromTag(1));
    m_brushListView->selectBrushListItemWithTag(1);
}

bool SWDocument::dabBrushListView(KZDabBrushListView* listView, KZDabBrushListButton* item)
{
    auto* tool = m_toolbox ? dynamic_cast<DabBrushTool*>(m_toolbox->toolForLabel(QStringLiteral("Brushes"))) : nullptr;
    if (!tool || !listView || !item)
        return false;
    const bool loaded = tool->loadBrushWithFilePath(listView->brushFilePathFromTag(item->tag()));
    // A brush is chosen to paint with it, as with the brush button.
    if (m_toolboxController)
        m_toolboxController->changeBrushTool();
    return loaded;
}

void SWDocument::setToolbox(std::unique_ptr<SWToolbox> toolbox)
{
    auto& center = platform::NotificationCenter::defaultCenter();
    center.removeObserver(this, SWToolbox::kCurrentToolDidChangedNotification);
    m_toolbox = std::move(toolbox);
    if (m_toolbox)
        center.addObserver(this, SWToolbox::kCurrentToolDidChangedNotification, m_toolbox.get(),
                           [this](const platform::Notification&) { handleCurrentToolDidChangedNotification(); });
    if (m_paintView && m_dataSource)
        m_paintView->preparePaintViewWithDataSource(m_dataSource.get(), m_toolbox.get());
    handleCurrentToolDidChangedNotification();
}

void SWDocument::tieUpLooseEnds()
{
    // Whatever comes next works on the picture, not on the empty canvas.
    completeReading();
    if (m_toolbox)
        m_toolbox->tieUpLooseEndsForCurrentTool();
}

void SWDocument::handleCurrentToolDidChangedNotification()
{
    if (!m_toolbox || !m_toolbox->currentTool() || !m_dataSource)
        return;
    // Vector tools (which show handles outside the canvas) take type 2.
    KZGraphicTool* vectorTool = currentGraphicTool();
    m_dataSource->setBufferGutterSizeWithType(vectorTool ? 2 : 1);
    if (vectorTool && m_scrollView)
        vectorTool->context()->setZoomFactor(m_scrollView->actualMagnification());
    handleCursorUpdate(nullptr);
}

QRectF SWDocument::canvasRectInOverlay() const
{
    if (!m_dataSource || !m_paintView || !m_overlayView)
        return QRectF();
    const QRectF inPaintView = m_paintView->widgetRectFromCanvasRect(m_dataSource->drawableRect());
    const QPointF topLeft = m_overlayView->mapFrom(m_overlayView->window(),
                                                   m_paintView->mapTo(m_paintView->window(), inPaintView.topLeft()));
    return m_overlayView->rectFromWidgetRect(QRectF(topLeft, inPaintView.size()));
}

void SWDocument::clearOverlayView()
{
    if (m_overlayView)
        m_overlayView->clear();
}

void SWDocument::refreshImage(SWTool* sender)
{
    if (m_paintView)
        m_paintView->refreshImage(sender);
}

void SWDocument::setNeedsDisplayForGraphicsAccessory(const QRectF& canvasRect)
{
    platform::exceptionGuard([&] {
        if (!m_overlayView || !m_paintView)
            return;
        const QRectF frame = m_overlayView->rectFromWidgetRect(m_overlayView->rect());
        if (canvasRect.width() > frame.width() || canvasRect.height() > frame.height()) {
            m_overlayView->update();
            return;
        }
        const QRectF inPaintView = m_paintView->widgetRectFromCanvasRect(canvasRect);
        const QPointF topLeft = m_overlayView->mapFrom(
            m_overlayView->window(), m_paintView->mapTo(m_paintView->window(), inPaintView.topLeft()));
        m_overlayView->update(QRectF(topLeft, inPaintView.size()).toAlignedRect().adjusted(-1, -1, 1, 1));
    });
}

void SWDocument::handleCursorUpdate(QMouseEvent* event)
{
    if (m_overlayView && m_overlayView->mouseEnteredTrackingArea() && m_paintView)
        m_paintView->cursorUpdate(event);
    if (event && m_overlayView && m_paintView && m_dataSource && m_canvasResizer &&
        event->type() == QEvent::MouseButtonRelease)
        m_canvasResizer->cursorUpdate(overlayPointFromEvent(event), canvasRectInOverlay(), m_overlayView);
}

bool SWDocument::mouseInPaintView(const QMouseEvent* event) const
{
    if (!event || !m_paintView || !m_dataSource)
        return false;
    return m_dataSource->drawableRect().contains(m_paintView->canvasPointFromEvent(event));
}

bool SWDocument::mouseInCanvasResizerKnobs(const QMouseEvent* event) const
{
    if (!event || !m_canvasResizer || !m_overlayView || hasPlacedElement())
        return false;
    return m_canvasResizer->pointInKnobs(overlayPointFromEvent(event), canvasRectInOverlay());
}

KZGraphicTool* SWDocument::currentGraphicTool() const
{
    return dynamic_cast<KZGraphicTool*>(m_toolbox ? m_toolbox->currentTool() : nullptr);
}

std::shared_ptr<KZGraphicElement> SWDocument::selectedGraphic() const
{
    const KZGraphicTool* tool = currentGraphicTool();
    std::shared_ptr<KZGraphicElement> element = tool ? tool->element() : nullptr;
    return element && element->hasCreated() ? element : nullptr;
}

std::optional<QImage> SWDocument::selectedGraphicBitmap() const
{
    const std::shared_ptr<KZGraphicElement> element = selectedGraphic();
    if (!element)
        return std::nullopt;
    QImage bitmap = element->bitmapRepresentation();
    if (bitmap.isNull())
        return std::nullopt;
    return bitmap;
}

bool SWDocument::hasPlacedElement() const
{
    if (selectedGraphic())
        return true;
    const auto* selection =
        dynamic_cast<const SWPixelSelectionTarget*>(m_toolbox ? m_toolbox->currentTool() : nullptr);
    return selection && selection->hasSelectedImage();
}

QPointF SWDocument::overlayPointFromEvent(const QMouseEvent* event) const
{
    if (!event || !m_overlayView)
        return QPointF();
    return m_overlayView->pointFromWidget(m_overlayView->mapFrom(m_overlayView->window(), event->scenePosition()));
}

QRectF SWDocument::canvasRectFromOverlayRect(const QRectF& overlayRect) const
{
    if (!m_overlayView || !m_paintView)
        return overlayRect;
    const QRectF inOverlayWidget = m_overlayView->widgetRectFromRect(overlayRect);
    const QPointF inWindow = m_overlayView->mapTo(m_overlayView->window(), inOverlayWidget.topLeft());
    const QPointF topLeft = m_paintView->mapFrom(m_paintView->window(), inWindow);
    return m_paintView->canvasRectFromWidgetRect(QRectF(topLeft, inOverlayWidget.size()));
}

void SWDocument::didScrollViewResized()
{
    if (m_overlayView && m_clipView)
        m_overlayView->setGeometry(m_clipView->rect());
}

void SWDocument::showFontPanel()
{
    platform::FontPanel::shared().orderFront();
}

void SWDocument::dismissPopUpPanel()
{
    if (m_viewPanelController)
        m_viewPanelController->dismissPopUpPanel();
    if (m_toolboxController)
        m_toolboxController->dismissPopUpPanel();
}

// ---------------------------------------------------------------- overlay events

void SWDocument::overlayViewDrawRect(KZOverlayView*, QPainter* painter, const QRectF&)
{
    if (!painter)
        return;
    // The element's border, handles and builder; the knobs rest while an
    // element is placed.
    if (KZGraphicTool* tool = currentGraphicTool())
        tool->renderAccessoryToContext(*painter, QRectF(canvasRectInOverlay().topLeft(), QSizeF()));
    if (hasPlacedElement() || !m_canvasResizer)
        return;
    m_canvasResizer->renderToContext(*painter, canvasRectInOverlay());
}

void SWDocument::overlayViewMouseDown(KZOverlayView* view, QMouseEvent* event)
{
    m_mouseDownInCanvasResizer = mouseInCanvasResizerKnobs(event);
    if (m_mouseDownInCanvasResizer) {
        m_canvasResizer->overlayViewMouseDown(view, event, canvasRectInOverlay());
        return;
    }
    if (m_paintView)
        m_paintView->mouseDown(event);
    handleCursorUpdate(event);
}

void SWDocument::overlayViewMouseDragged(KZOverlayView* view, QMouseEvent* event)
{
    if (m_mouseDownInCanvasResizer) {
        m_canvasResizer->overlayViewMouseDragged(view, event);
        return;
    }
    if (m_paintView)
        m_paintView->mouseDragged(event);
    handleCursorUpdate(event);
}

void SWDocument::overlayViewMouseUp(KZOverlayView* view, QMouseEvent* event)
{
    if (m_mouseDownInCanvasResizer) {
        m_canvasResizer->overlayViewMouseUp(view, event);
        m_mouseDownInCanvasResizer = false;
        if (!mouseInCanvasResizerKnobs(event))
            handleCursorUpdate(event);
        return;
    }
    if (m_paintView)
        m_paintView->mouseUp(event);
    handleCursorUpdate(event);
}

void SWDocument::overlayViewMouseMoved(KZOverlayView*, QMouseEvent* event)
{
    if (mouseInCanvasResizerKnobs(event)) {
        m_canvasResizer->cursorUpdate(overlayPointFromEvent(event), canvasRectInOverlay(), m_overlayView);
        return;
    }
    if (m_paintView)
        m_paintView->mouseMoved(event);
    handleCursorUpdate(event);
}

void SWDocument::overlayViewRightMouseDown(KZOverlayView*, QMouseEvent* event)
{
    if (m_paintView)
        m_paintView->rightMouseDown(event);
    handleCursorUpdate(event);
}

void SWDocument::overlayViewRightMouseDragged(KZOverlayView*, QMouseEvent* event)
{
    if (m_paintView)
        m_paintView->rightMouseDragged(event);
    handleCursorUpdate(event);
}

void SWDocument::overlayViewRightMouseUp(KZOverlayView*, QMouseEvent* event)
{
    if (m_paintView)
        m_paintView->rightMouseUp(event);
    handleCursorUpdate(event);
}

void SWDocument::overlayViewKeyDown(KZOverlayView*, QKeyEvent* event)
{
    if (m_paintView)
        m_paintView->keyDown(event);
}

void SWDocument::overlayViewKeyUp(KZOverlayView*, QKeyEvent*)
{
}

void SWDocument::overlayViewMagnificationGesture(KZOverlayView*, int state, double magnification)
{
    if (!m_scrollView)
        return;
    switch (state) {
    case 1:
        m_magnificationInGesture = m_scrollView->scaleFactor();
        break;
    case 2:
    case 3:
        m_scrollView->setScaleFactor((magnification + 1.0) * m_magnificationInGesture, true);
        break;
    case 4:
        m_magnificationInGesture = 1.0;
        break;
    default:
        break;
    }
}

void SWDocument::overlayViewSmartMagnifyWithEvent(KZOverlayView*, QNativeGestureEvent*)
{
    if (!m_scrollView)
        return;
    const double scale = m_scrollView->scaleFactor();
    if (std::fabs(scale - 1.0) <= 1.1920928955078125e-7) {
        if (m_savedScaleFactor > 0)
            m_scrollView->setScaleFactor(m_savedScaleFactor, true);
        return;
    }
    m_savedScaleFactor = scale;
    m_scrollView->setScaleFactor(1.0, true);
}

// ---------------------------------------------------------------- editing

void SWDocument::addEditingAndZoomActions()
{
    addAction(QStringLiteral("copy:"), [this](QObject*) { copy(); });
    addAction(QStringLiteral("cut:"), [this](QObject*) { cut(); });
    addAction(QStringLiteral("paste:"), [this](QObject*) { paste(); });
    addAction(QStringLiteral("pasteFrom:"), [this](QObject*) { pasteFrom(); });
    addAction(QStringLiteral("selectAll:"), [this](QObject*) { selectAll(); });
    addAction(QStringLiteral("selectInvert:"), [this](QObject*) { selectInvert(); });
    addAction(QStringLiteral("delete:"), [this](QObject*) { deleteCommand(); });
    addAction(QStringLiteral("zoomIn:"), [this](QObject*) { zoomIn(); });
    addAction(QStringLiteral("zoomOut:"), [this](QObject*) { zoomOut(); });
    addAction(QStringLiteral("actualSize:"), [this](QObject*) { actualSize(); });
    addAction(QStringLiteral("toggleGridShown:"), [this](QObject*) { toggleGridShown(); });
    addAction(QStringLiteral("toggleToolbarShownAndValidate:"), [this](QObject*) { toggleToolbarShownAndValidate(); });
    addAction(QStringLiteral("eggsZoom:"), [this](QObject* sender) {
        if (auto* zoom = qobject_cast<KZTexturalSegmentedControl*>(sender))
            eggsZoom(zoom->selectedSegment());
    });
}

void SWDocument::writeImageToPasteboard()
{
    completeReading();
    const std::optional<QImage> bitmap = selectedGraphicBitmap();
    if (!bitmap)
        return;
    platform::Pasteboard::general().writeImage(*bitmap);
}

void SWDocument::copy()
{
    dismissPopUpPanel();
    writeImageToPasteboard();
}

void SWDocument::cut()
{
    dismissPopUpPanel();
    copy();
    if (m_paintView)
        m_paintView->clearOverlay();
    handleCursorUpdate(nullptr);
}

bool SWDocument::paste()
{
    dismissPopUpPanel();
    // The top-left corner of the visible part of the canvas.
    QPointF point = m_scrollView ? m_scrollView->documentVisibleRect().topLeft() : QPointF();
    point = QPointF(std::max(0.0, point.x()), std::max(0.0, point.y()));
    const QImage image = SWImageTools::bitmapImageWithPasteboard(QGuiApplication::clipboard()->mimeData());
    const bool pasted = pasteImage(image, point);
    handleCursorUpdate(nullptr);
    return pasted;
}

bool SWDocument::pasteFrom()
{
    QStringList patterns;
    for (const QString& extension : readableExtensions())
        patterns << QStringLiteral("*.") + extension;
    const QString path = QFileDialog::getOpenFileName(
        window(), QString(), QString(), tr("Images (%1)").arg(patterns.join(QLatin1Char(' '))));
    if (path.isEmpty())
        return false;
    QPointF point = m_scrollView ? m_scrollView->documentVisibleRect().topLeft() : QPointF();
    point = QPointF(std::max(0.0, point.x()), std::max(0.0, point.y()));
    const QImage loaded(path);
    return pasteImage(loaded.isNull() ? QImage() : SWImageTools::bitmapRepOfImage(loaded), point);
}

bool SWDocument::pasteImage(const QImage& image, const QPointF& point)
{
    if (image.isNull() || !m_dataSource) {
        platform::Beep::play();
        return false;
    }
    // Whole pixels, on the canvas: a fractional or negative corner would
    // give a fractional canvas or cut the picture.
    const QPointF origin(std::max(0.0, std::floor(point.x())), std::max(0.0, std::floor(point.y())));
    const QRectF placed(origin, QSizeF(image.size()));
    const QRectF canvas = m_dataSource->drawableRect();
    bool stepTaken = false;
    if (!canvas.contains(placed)) {
        const QRectF grown = platform::unionRect(canvas, placed);
        if (!resizeToSize(QSizeF(std::ceil(grown.right()), std::ceil(grown.bottom())), false)) {
            // The canvas cannot grow that far: nothing is placed.
            platform::Beep::play();
            return false;
        }
        stepTaken = true;
    } else {
        tieUpLooseEnds();
    }
    if (m_toolboxController)
        m_toolboxController->switchToScissors();
    handleCursorUpdate(nullptr);
    SWTool* tool = m_toolbox ? m_toolbox->currentTool() : nullptr;
    if (auto* selection = dynamic_cast<SWPixelSelectionTarget*>(tool)) {
        selection->setImageDataSource(m_dataSource.get());
        selection->setSelectedImage(image);
        selection->setPosition(origin + QPointF(image.width() / 2.0, image.height() / 2.0));
    } else {
        // Without a pixel-selection tool the picture cannot float: it goes
        // into the canvas at once, within the same undo step.
        if (!stepTaken)
            handleUndoWithImageData();
        auto write = m_dataSource->writeMainImage(QRectF(origin, QSizeF(image.size())));
        SWImageTools::drawToImage(write.image(), image, origin, true);
    }
    refreshDisplay();
    return true;
}

void SWDocument::selectAll()
{
    if (m_toolboxController)
        m_toolboxController->switchToScissors();
    SWTool* tool = m_toolbox ? m_toolbox->currentTool() : nullptr;
    if (auto* selection = dynamic_cast<SWPixelSelectionTarget*>(tool)) {
        selection->setImageDataSource(m_dataSource.get());
        selection->selectAll();
        tool->draw();
    }
    handleCursorUpdate(nullptr);
    if (m_paintView)
        m_paintView->update();
}

void SWDocument::selectInvert()
{
    dismissPopUpPanel();
    SWTool* tool = m_toolbox ? m_toolbox->currentTool() : nullptr;
    if (!dynamic_cast<SWPixelSelectionTarget*>(tool) && m_toolboxController) {
        m_toolboxController->switchToScissors();
        tool = m_toolbox ? m_toolbox->currentTool() : nullptr;
    }
    if (auto* selection = dynamic_cast<SWPixelSelectionTarget*>(tool)) {
        selection->setImageDataSource(m_dataSource.get());
        selection->selectInvert();
        tool->draw();
    }
    handleCursorUpdate(nullptr);
    if (m_paintView)
        m_paintView->update();
}

void SWDocument::deleteCommand()
{
    if (SWTool* tool = m_toolbox ? m_toolbox->currentTool() : nullptr)
        tool->deleteKey();
    dismissPopUpPanel();
    if (m_paintView)
        m_paintView->update();
}

// ---------------------------------------------------------------- zoom

void SWDocument::zoomIn(SWTool* senderTool)
{
    if (!m_scrollView)
        return;
    const double factor = m_scrollView->scaleFactor() * 2.0;
    if (senderTool)
        m_scrollView->setScaleFactorAtPoint(factor, senderTool->savedPoint(), true);
    else
        m_scrollView->setScaleFactor(factor, true);
}

void SWDocument::zoomOut(SWTool* senderTool)
{
    if (!m_scrollView)
        return;
    const double factor = m_scrollView->scaleFactor() / 2.0;
    if (senderTool)
        m_scrollView->setScaleFactorAtPoint(factor, senderTool->savedPoint(), true);
    else
        m_scrollView->setScaleFactor(factor, true);
}

void SWDocument::actualSize()
{
    if (m_scrollView)
        m_scrollView->setScaleFactor(1.0, true);
}

void SWDocument::eggsZoom(int selectedSegment)
{
    if (selectedSegment == 1)
        zoomOut();
    else
        zoomIn();
}

void SWDocument::changeZoomLevel(bool in)
{
    if (!m_scrollView || !m_paintView)
        return;
    double scale = m_scrollView->scaleFactor();
    const QSizeF frame = m_paintView->frame().size();
    const double shown = std::min(frame.width() * scale, frame.height() * scale);
    if (in && shown < 5000)
        scale *= 1.5;
    else if (!in && shown > 32)
        scale /= 1.5;
    m_scrollView->setScaleFactor(scale, false);
}

QToolBar* SWDocument::windowToolbar() const
{
    return m_windowToolbar;
}

KZToolboxToolbar* SWDocument::toolboxToolbar()
{
    if (m_toolboxToolbar || !m_windowToolbar || !m_toolboxController)
        return m_toolboxToolbar;
    m_toolboxToolbar = new KZToolboxToolbar(m_toolboxController.get());
    m_toolboxToolbar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_windowToolbar->addWidget(m_toolboxToolbar);
    // Its controls validate as the window's update pass would have had them.
    KZDescendantWalk::enumerateDescendantsUsingBlock(m_toolboxToolbar, [](QWidget* view, int, bool*) {
        if (auto* updatable = dynamic_cast<platform::Updatable*>(view))
            updatable->performUpdate();
    });
    return m_toolboxToolbar;
}

void SWDocument::toggleToolbarShownAndValidate()
{
    if (!m_windowToolbar)
        return;
    if (m_windowToolbar->isHidden())
        toolboxToolbar();
    m_windowToolbar->setHidden(!m_windowToolbar->isHidden());
    if (m_viewPanelController && m_viewPanelController->showToolbarCheckBox())
        m_viewPanelController->showToolbarCheckBox()->setChecked(!m_windowToolbar->isHidden());
}

void SWDocument::toggleGridShown()
{
    if (m_paintView)
        m_paintView->toggleGrid();
    // The view tab's box follows, whoever toggled the grid.
    if (m_viewPanelController && m_viewPanelController->showGridCheckBox())
        m_viewPanelController->showGridCheckBox()->setChecked(m_paintView && m_paintView->showsGrid());
}
