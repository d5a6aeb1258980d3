#pragma once

#include "SWTool.h"
#include "SWToolbox.h"

#include <QKeyEvent>
#include <QString>

#include <memory>
#include <vector>

// A tool that records every call the canvas and the registry make on it.
class RecordingTool : public SWTool {
public:
    struct Call {
        int phase;
        QPointF point;
        uint64_t flags;
        QPointF savedPoint;
    };

    RecordingTool(KZToolboxController* controller, QString label, bool contextMenu = false)
        : SWTool(controller)
        , m_label(std::move(label))
        , m_contextMenu(contextMenu)
    {
    }

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent*) override
    {
        calls.push_back({phase, point, flags(), savedPoint()});
        lastDataSource = dataSource;
        addRedrawRectFromPoint(point, point);
    }
    QCursor cursor() override { return QCursor(Qt::CrossCursor); }
    QString description() const override { return m_label; }
    bool shouldShowContextualMenu() const override { return m_contextMenu; }
    bool activate() override
    {
        ++activations;
        return true;
    }
    bool deactive() override
    {
        ++deactivations;
        return true;
    }
    void tieUpLooseEnds() override { ++tieUps; }
    QRectF draw() override
    {
        ++draws;
        return QRectF();
    }
    void deleteKey() override { ++deletes; }
    void mouseHasMoved(const QPointF& point, QMouseEvent*) override { moves.push_back(point); }
    bool respondsToHandleKeyDown() const override { return m_handlesKeys; }
    void handleKeyDown(QKeyEvent* event) override { keys.push_back(event->key()); }
    void setHandlesKeys(bool on) { m_handlesKeys = on; }

    std::vector<Call> calls;
    std::vector<QPointF> moves;
    std::vector<int> keys;
    SWImageDataSource* lastDataSource = nullptr;
    int activations = 0;
    int deactivations = 0;
    int tieUps = 0;
    int deletes = 0;
    int draws = 0;

private:
    QString m_label;
    bool m_contextMenu;
    bool m_handlesKeys = false;
};

// A class list of recording tools with the given labels.
inline std::vector<SWToolbox::ToolClass> recordingToolClasses(const std::vector<QString>& labels,
                                                              const QString& contextMenuLabel = QString())
{
    std::vector<SWToolbox::ToolClass> classes;
    for (const QString& label : labels) {
        const bool contextMenu = label == contextMenuLabel;
        classes.push_back({"RecordingTool", [label, contextMenu](KZToolboxController* controller) {
                               return std::unique_ptr<SWTool>(new RecordingTool(controller, label, contextMenu));
                           }});
    }
    return classes;
}
