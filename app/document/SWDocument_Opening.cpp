// Opening a picture while its window comes up: the header is read at once,
// the pixels on a thread of their own.
#include "SWDocument.h"

#include "SWImageDataSource.h"
#include "SWPaintView.h"

#include "platform/graphics/ImageFileLoader.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

// Events by which the user acts on a window: each must find the picture in.
bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TabletPress:
    case QEvent::TouchBegin:
    case QEvent::NativeGesture:
    case QEvent::ContextMenu:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

const QString kNoMemory = QStringLiteral("There is not enough memory to open the picture.");

} // namespace

bool SWDocument::beginReadingFromFile(const QString& path, const QString& type, QString* error)
{
    // A file that is no picture, is cut short or is too large is refused
    // here, before any window shows, just as a full read would refuse it.
    const platform::ImageDecoder::Header header = platform::ImageDecoder::readHeader(path);
    if (!header.ok()) {
        if (error)
            *error = header.error;
        return false;
    }
    // A reader that cannot tell the size before decoding gives nothing to
    // lay the window out by: such a file is read whole, now.
    if (!header.size.isValid() || header.size.isEmpty() || !m_dataSource ||
        !m_dataSource->awaitPicture(header.size, backgroundColorForNewStore()))
        return readFromFile(path, type, error);
    m_originCanvasSize = m_dataSource->canvasSize();
    // A picture named at start-up has been decoding since then.
    m_loader = platform::ImageFileLoader::takeReadAhead(path);
    if (!m_loader) {
        m_loader = std::make_unique<platform::ImageFileLoader>(path);
        if (!m_loader->start()) {
            m_loader.reset();
            return readFromFile(path, type, error);
        }
    }
    m_loader->deliverTo(this, [this](platform::ImageDecoder::Result result) { pictureDidLoad(std::move(result)); });
    setReading(true);
    qApp->installEventFilter(this);
    return true;
}

void SWDocument::completeReading()
{
    if (m_loader)
        pictureDidLoad(m_loader->wait());
}

void SWDocument::pictureDidLoad(platform::ImageDecoder::Result result)
{
    // The thread has handed over its result: it ends at once.
    m_loader.reset();
    qApp->removeEventFilter(this);
    bool ok = result.ok();
    QString error = result.error;
    if (ok && !(m_dataSource && m_dataSource->setUpWithImage(result.image, result.pixelPerPoint,
                                                              backgroundColorForNewStore()))) {
        ok = false;
        error = kNoMemory;
    }
    result = {}; // the store holds the pixels now, alone
    if (ok) {
        // The header's size laid the window out; a reader may still decode
        // another size (it is the picture that counts).
        const bool sized = m_dataSource->canvasSize() == m_originCanvasSize;
        m_originCanvasSize = m_dataSource->canvasSize();
        if (sized)
            paintViewFrameDidChange();
        else
            setUpPaintViewAndCanvasResizer();
        if (m_paintView)
            m_paintView->update();
    } else {
        // The empty canvas is no picture: nothing may save it over the file.
        if (m_paintView)
            m_paintView->preparePaintViewWithDataSource(nullptr, m_toolbox.get());
        m_dataSource.reset();
    }
    didFinishReading(ok, error);
}

bool SWDocument::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && m_viewPage && watched == m_viewPage && !m_viewPanelController)
        viewPanelController();
    if (m_loader && isUserInput(event->type()) && watched->isWidgetType() && window()) {
        // Menus that pop up from the window are windows of their own, with
        // the window among their ancestors.
        for (QWidget* w = static_cast<QWidget*>(watched); w; w = w->parentWidget()) {
            if (w == window()) {
                completeReading();
                break;
            }
        }
    }
    return platform::Document::eventFilter(watched, event);
}
