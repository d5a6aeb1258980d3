#pragma once

#include "SWPlainCanvasView.h"

#include "platform/appkit/Document.h"
#include "platform/appkit/SavePanel.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QScrollArea>
#include <QSizeF>

#include <memory>
#include <optional>

class SWImageDataSource;
class SWSavePanelAccessoryViewController;

namespace platform {
class SavePanel;
struct Notification;
} // namespace platform

// One open picture: its image store, its window with the canvas, its
// files, its undo steps and the whole-picture commands. Tools reach the
// picture and take their undo steps here.
class SWDocument : public platform::Document {
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
    SWPlainCanvasView* paintView() const { return m_paintView; }
    QScrollArea* scrollView() const { return m_scrollView; }
    // The document's window, or null.
    QWidget* documentWindow() const;
    QSizeF originCanvasSize() const { return m_originCanvasSize; }

    // -- services to tools
    // Records the picture of this moment as one undo step. Both arguments
    // are ignored (callers pass empty ones).
    void handleUndoWithImageData(const QImage& data = {}, const QRectF& frame = {});
    void refreshDisplay();
    void clearOverlayView() {}

    // -- undo
    void restoreImageData(const QImage& data, const QRectF& frame);
    void undoOperation();
    void redoOperation();
    void undoLevelChanged(const platform::Notification& notification);

    // -- picture commands
    void resizeToSize(const QSizeF& size, bool scaleImage);
    void flipHorizontal();
    void flipVertical();
    void rotateGraphic(double degrees);
    void rotate90R();
    void rotate90L();
    void rotate180();
    void crop();
    // The end of crop: the canvas becomes exactly these pixels, in one step.
    void cropToBitmap(const QImage& bitmap);
    void invertColors();

    // -- files
    bool readFromFile(const QString& path, const QString& type, QString* error) override;
    QByteArray dataOfType(const QString& type, QString* error) override;
    bool prepareSavePanel(platform::SavePanel& panel) override;
    QString fileTypeFromLastRunSavePanel() const override { return m_currentFileType; }
    bool saveDocument() override;
    void printDocument() override;
    void close() override;

    SWSavePanelAccessoryViewController* savePanelAccessoryViewController() const { return m_savePanelAccessory.get(); }

    bool validateMenuItem(platform::MenuItem* item) override;

protected:
    void windowControllerDidLoadNib(platform::DocumentWindow* window) override;
    void documentDidRevert() override;

private:
    void setUpPaintViewAndCanvasResizer();
    void placePaintWindowAtScreenCenterIfNeeded();
    void paintViewFrameDidChange();
    // The current tool finishes its work in progress (none yet: the tool
    // registry arrives with the tools).
    void tieUpLooseEnds() {}
    // The placed element's pixels, when an element is placed.
    std::optional<QImage> selectedGraphicBitmap() const { return std::nullopt; }
    QColor backgroundColorForNewStore() const;

    std::unique_ptr<SWImageDataSource> m_dataSource;
    QSizeF m_originCanvasSize;
    QString m_currentFileType;
    std::unique_ptr<SWSavePanelAccessoryViewController> m_savePanelAccessory;
    QPointer<platform::SavePanel> m_runningSavePanel;
    QPointer<QScrollArea> m_scrollView;
    QPointer<SWPlainCanvasView> m_paintView;
};
