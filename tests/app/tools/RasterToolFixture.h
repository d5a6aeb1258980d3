#pragma once

#include "KZOverlayView.h"
#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWPaintView.h"
#include "SWTool.h"
#include "SWToolbox.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/UndoManager.h"
#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <memory>

// A document in its window with the program's own tools, on a white canvas
// of a given size. Gestures are driven either straight at the current tool,
// the way the canvas calls it (press, drag, release), or as mouse events
// through the overlay view, the way the window delivers them.
struct RasterToolFixture {
    explicit RasterToolFixture(QSize canvas = {200, 150}, bool antialias = false)
    {
        platform::UserDefaults::standard().setValue(QStringLiteral("AllowAntialias"), antialias);
        document = new SWDocument;
        platform::DocumentController::shared().addDocument(document);
        document->makeWindowControllers();
        document->showWindows();
        document->window()->resize(900, 700);
        document->dataSource()->customInit(QSizeF(canvas), Qt::white);
        document->paintView()->preparePaintViewWithDataSource(document->dataSource(), document->toolbox());
        QApplication::processEvents();
        undo()->removeAllActions();
    }
    ~RasterToolFixture() { close(); }

    void close()
    {
        if (!document)
            return;
        document->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        document = nullptr;
    }

    SWTool* choose(const QString& label)
    {
        document->toolboxController()->chooseToolWithLabel(label);
        return tool();
    }
    SWTool* tool() const { return document->toolbox()->currentTool(); }
    template <typename T>
    T* tool() const
    {
        return dynamic_cast<T*>(tool());
    }
    SWImageDataSource* store() const { return document->dataSource(); }
    QImage& mainImage() const { return store()->mainImage(); }
    QImage& buffer() const { return store()->bufferImage(); }
    platform::UndoManager* undo() const { return document->undoManager(); }
    KZToolboxController* controller() const { return document->toolboxController(); }

    // The calls the canvas makes for one mouse event.
    void press(QPointF p, uint64_t flags = 0)
    {
        tool()->setSavedPoint(p);
        tool()->setFlags(flags);
        tool()->performDrawAtPoint(p, store(), SWTool::MouseDown, nullptr);
    }
    void dragTo(QPointF p, uint64_t flags = 0)
    {
        tool()->setFlags(flags);
        tool()->performDrawAtPoint(p, store(), SWTool::MouseDragged, nullptr);
    }
    void release(QPointF p, uint64_t flags = 0)
    {
        tool()->setFlags(flags);
        tool()->performDrawAtPoint(p, store(), SWTool::MouseUp, nullptr);
    }
    // Press, drags through every point, release at the last; then the event
    // loop comes round, closing the undo group.
    void gesture(const std::vector<QPointF>& points, uint64_t flags = 0)
    {
        press(points.front(), flags);
        for (size_t i = 1; i < points.size(); ++i)
            dragTo(points[i], flags);
        release(points.back(), flags);
        endEvent();
    }
    static void endEvent() { QCoreApplication::sendPostedEvents(); QApplication::processEvents(); }

    // Mouse events through the overlay, at canvas points.
    QPointF overlayPointForCanvas(const QPointF& canvas) const
    {
        const QPointF inPaintView = canvas * document->paintView()->viewScale();
        KZOverlayView* overlay = document->overlayView();
        return overlay->mapFromGlobal(document->paintView()->mapToGlobal(inPaintView));
    }
    void mouse(QEvent::Type type, const QPointF& canvas, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        KZOverlayView* overlay = document->overlayView();
        const QPointF local = overlayPointForCanvas(canvas);
        QMouseEvent event(type, local, overlay->mapTo(overlay->window(), local), overlay->mapToGlobal(local), button,
                          buttons, modifiers);
        QCoreApplication::sendEvent(overlay, &event);
        QCoreApplication::sendPostedEvents();
    }
    void mouseDrag(const std::vector<QPointF>& points, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, points.front(), button, button, modifiers);
        for (size_t i = 1; i < points.size(); ++i)
            mouse(QEvent::MouseMove, points[i], Qt::NoButton, button, modifiers);
        mouse(QEvent::MouseButtonRelease, points.back(), button, Qt::NoButton, modifiers);
        endEvent();
    }
    void key(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(document->overlayView(), &event);
    }

    // Time passes: the events already queued are handled, then the tools'
    // timers tick as they would in that time.
    void spin(int ms)
    {
        QApplication::processEvents();
        clock.advance(ms);
    }

    // The tools' timers tick only when a test moves this clock.
    platform::ManualClock clock;
    SWDocument* document = nullptr;
};

// Pixel helpers.
inline QColor pixelAt(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

inline bool sameImage(const QImage& a, const QImage& b)
{
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGBA8888_Premultiplied) == b.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

inline int countPixels(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}
