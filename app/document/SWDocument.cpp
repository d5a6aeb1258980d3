#include "SWDocument.h"

#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWPlainCanvasView.h"
#include "SWPrintPanelAccessoryViewController.h"
#include "SWSavePanelAccessoryViewController.h"

#include "platform/appkit/ColorList.h"
#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/PrintOperation.h"
#include "platform/appkit/SavePanel.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/outside/MSAnalyticsProxy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QScrollArea>

#include <cmath>

namespace {
const QString kRecordedSizeKey = QStringLiteral("SWDocumentRecordedSize");
constexpr double kRecordedSizeLimit = 5000;
constexpr double kDefaultJPEGQuality = 0.8;

bool recordableSize(const QSizeF& size)
{
    return size.width() > 0 && size.width() < kRecordedSizeLimit && size.height() > 0 &&
           size.height() < kRecordedSizeLimit;
}
} // namespace

SWDocument::SWDocument()
{
    undoManager()->setLevelsOfUndo(platform::UserDefaults::standard().integer(QStringLiteral("UndoLevels")));
    m_dataSource = SWImageDataSource::create(recordedCanvasSize(), snowColor());
    if (m_dataSource)
        m_originCanvasSize = m_dataSource->canvasSize();

    addAction(QStringLiteral("undoOperation:"), [this](QObject*) { undoOperation(); });
    addAction(QStringLiteral("redoOperation:"), [this](QObject*) { redoOperation(); });
    addAction(QStringLiteral("flipHorizontal:"), [this](QObject*) { flipHorizontal(); });
    addAction(QStringLiteral("flipVertical:"), [this](QObject*) { flipVertical(); });
    addAction(QStringLiteral("rotate90R:"), [this](QObject*) { rotate90R(); });
    addAction(QStringLiteral("rotate90L:"), [this](QObject*) { rotate90L(); });
    addAction(QStringLiteral("rotate180:"), [this](QObject*) { rotate180(); });
    addAction(QStringLiteral("crop:"), [this](QObject*) { crop(); });
    addAction(QStringLiteral("invertColors:"), [this](QObject*) { invertColors(); });
}

SWDocument::~SWDocument()
{
    // Observers go first, so nothing calls into a half-destroyed document.
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (m_savePanelAccessory)
        m_savePanelAccessory->currentFileType().removeObserver(this);
    // The undo steps call back into this document: drop them before the
    // store they restore into goes.
    undoManager()->removeAllActions();
    if (m_paintView)
        m_paintView->setDataSource(nullptr);
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
    // The toolbox controller's background colour comes first once it exists.
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

    m_scrollView = new QScrollArea(window);
    m_scrollView->setAlignment(Qt::AlignCenter);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    QPalette palette = m_scrollView->palette();
    palette.setColor(QPalette::Window, QColor(40, 40, 40));
    m_scrollView->setPalette(palette);
    m_scrollView->setBackgroundRole(QPalette::Window);
    m_scrollView->setAutoFillBackground(true);
    m_paintView = new SWPlainCanvasView;
    m_scrollView->setWidget(m_paintView);
    m_scrollView->setWidgetResizable(false);
    window->setCentralWidget(m_scrollView);

    if (m_dataSource)
        setUpPaintViewAndCanvasResizer();

    platform::NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("UndoLevels"), nullptr,
        [this](const platform::Notification& n) { undoLevelChanged(n); });
}

void SWDocument::setUpPaintViewAndCanvasResizer()
{
    if (!m_paintView)
        return;
    m_paintView->setDataSource(m_dataSource.get());
    if (platform::DocumentWindow* w = window()) {
        // A window that shows the whole canvas, as far as the screen allows.
        const QSize canvas = m_paintView->sizeHint();
        QSize content = canvas;
        if (QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen()) {
            const QSize available = screen->availableSize() * 0.9;
            content = content.boundedTo(available);
        }
        if (content.width() > 0 && content.height() > 0) {
            const int menu = w->menuWidget() ? w->menuWidget()->sizeHint().height() : 0;
            w->resize(content.width(), content.height() + menu);
        }
    }
    placePaintWindowAtScreenCenterIfNeeded();
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
    if (m_paintView)
        m_paintView->updateFrame();
    if (m_scrollView)
        m_scrollView->viewport()->update();
}

void SWDocument::refreshDisplay()
{
    if (m_paintView)
        m_paintView->update();
    clearOverlayView();
}

void SWDocument::documentDidRevert()
{
    m_originCanvasSize = m_dataSource ? m_dataSource->canvasSize() : QSizeF();
    paintViewFrameDidChange();
}

// ---------------------------------------------------------------- undo

void SWDocument::handleUndoWithImageData(const QImage&, const QRectF&)
{
    const QRectF frame = m_dataSource ? QRectF(QPointF(0, 0), m_dataSource->drawableRect().size()) : QRectF();
    const QImage data = m_dataSource ? m_dataSource->copyMainImageData() : QImage();
    undoManager()->registerUndo([this, data, frame] { restoreImageData(data, frame); });
}

void SWDocument::restoreImageData(const QImage& data, const QRectF& frame)
{
    handleUndoWithImageData();
    if (!m_dataSource)
        return;
    m_dataSource->resizeToSize(frame.size(), false);
    m_dataSource->restoreMainImageFromData(data);
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

void SWDocument::resizeToSize(const QSizeF& size, bool scaleImage)
{
    if (!m_dataSource || size == m_dataSource->drawableRect().size())
        return;
    tieUpLooseEnds();
    handleUndoWithImageData();
    m_dataSource->resizeToSize(size, scaleImage);
    paintViewFrameDidChange();
}

void SWDocument::flipHorizontal()
{
    if (!m_dataSource)
        return;
    handleUndoWithImageData();
    SWImageTools::flipImageHorizontal(m_dataSource->mainImage());
    refreshDisplay();
}

void SWDocument::flipVertical()
{
    if (!m_dataSource)
        return;
    handleUndoWithImageData();
    SWImageTools::flipImageVertical(m_dataSource->mainImage());
    refreshDisplay();
}

void SWDocument::rotateGraphic(double degrees)
{
    if (!m_dataSource)
        return;
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

void SWDocument::rotate90R() { rotateGraphic(90); }
void SWDocument::rotate90L() { rotateGraphic(-90); }
void SWDocument::rotate180() { rotateGraphic(180); }

void SWDocument::crop()
{
    const std::optional<QImage> bitmap = selectedGraphicBitmap();
    if (!bitmap)
        return;
    tieUpLooseEnds();
    cropToBitmap(*bitmap);
}

void SWDocument::cropToBitmap(const QImage& bitmap)
{
    if (!m_dataSource || bitmap.isNull())
        return;
    handleUndoWithImageData();
    m_dataSource->resizeToSize(QSizeF(bitmap.size()), false);
    m_dataSource->restoreMainImageFromData(bitmap);
    paintViewFrameDidChange();
}

void SWDocument::invertColors()
{
    if (!m_dataSource)
        return;
    handleUndoWithImageData();
    SWImageTools::invertImage(m_dataSource->mainImage());
    if (m_paintView)
        m_paintView->update();
}

bool SWDocument::validateMenuItem(platform::MenuItem* item)
{
    const QString action = item->actionName();
    if (action == QLatin1String("undoOperation:"))
        return undoManager()->canUndo();
    if (action == QLatin1String("redoOperation:"))
        return undoManager()->canRedo();
    if (action == QLatin1String("crop:"))
        return selectedGraphicBitmap().has_value();
    return true;
}

// ---------------------------------------------------------------- files

bool SWDocument::readFromFile(const QString& path, const QString&, QString* error)
{
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
    }
    m_originCanvasSize = m_dataSource->canvasSize();
    return true;
}

QByteArray SWDocument::dataOfType(const QString& type, QString* error)
{
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
    if (m_dataSource) {
        const QSizeF size = m_dataSource->canvasSize();
        if (recordableSize(size) && size != m_originCanvasSize)
            platform::UserDefaults::standard().setSize(kRecordedSizeKey, size);
        m_originCanvasSize = size;
    }
    platform::Document::close();
}
