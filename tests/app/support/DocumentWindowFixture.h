#pragma once

#include "KZOverlayView.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWPaintView.h"
#include "SWScalingScrollView.h"
#include "SWToolbox.h"
#include "support/RecordingTool.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

// A document in its window, with recording tools in its registry, driven by
// synthetic events sent to the overlay view (what the window would hit).
struct DocumentWindowFixture {
    explicit DocumentWindowFixture(const std::vector<QString>& labels = {"Brush", "Line"},
                                   const QString& contextMenuLabel = QString())
    {
        document = new SWDocument;
        platform::DocumentController::shared().addDocument(document);
        document->makeWindowControllers();
        document->showWindows();
        document->window()->resize(900, 700);
        document->setToolbox(std::make_unique<SWToolbox>(document, document->toolboxController(),
                                                         recordingToolClasses(labels, contextMenuLabel)));
        QApplication::processEvents();
    }
    ~DocumentWindowFixture()
    {
        document->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    RecordingTool* tool(const QString& label) const
    {
        return dynamic_cast<RecordingTool*>(document->toolbox()->toolForLabel(label));
    }
    RecordingTool* current() const { return dynamic_cast<RecordingTool*>(document->toolbox()->currentTool()); }
    KZOverlayView* overlay() const { return document->overlayView(); }
    SWPaintView* paintView() const { return document->paintView(); }
    SWScalingScrollView* scrollView() const { return document->scrollView(); }

    // Where a canvas point is, in overlay widget coordinates.
    QPointF overlayPointForCanvas(const QPointF& canvas) const
    {
        const QPointF inPaintView = canvas * paintView()->viewScale();
        return overlay()->mapFromGlobal(paintView()->mapToGlobal(inPaintView));
    }

    void mouse(QEvent::Type type, const QPointF& canvas, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouseAtOverlay(type, overlayPointForCanvas(canvas), button, buttons, modifiers);
    }
    void mouseAtOverlay(QEvent::Type type, const QPointF& local, Qt::MouseButton button, Qt::MouseButtons buttons,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, local, overlay()->mapTo(overlay()->window(), local), overlay()->mapToGlobal(local),
                          button, buttons, modifiers);
        QCoreApplication::sendEvent(overlay(), &event);
        // Re-posted right-button events arrive next, ahead of anything else.
        QCoreApplication::sendPostedEvents();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(overlay(), &event);
    }

    SWDocument* document = nullptr;
};
