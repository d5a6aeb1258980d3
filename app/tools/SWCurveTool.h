#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <QColor>

#include <cstdint>

// The Bezier curve ("Curve"), made over three clicks: the first drags the
// chord, the second and the third bend it by its two control points. The
// third mouse-up commits it; so does a change of tool, Escape or a document
// command, whatever the number of clicks made.
class SWCurveTool : public SWTool {
public:
    explicit SWCurveTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override { return QCursor(Qt::CrossCursor); }
    QString description() const override { return QStringLiteral("Curve"); }
    QPainterPath pathFromPoint(const QPointF& from, const QPointF& to) override;
    void tieUpLooseEnds() override;
    // Draws the curve in progress again (after the document cleared the
    // buffer), so that the commit finds it there.
    QRectF draw() override;

    int64_t numberOfClicks() const { return m_numberOfClicks; }
    void setNumberOfClicks(int64_t clicks) { m_numberOfClicks = clicks; }

    QPointF beginPoint() const { return m_beginPoint; }
    QPointF endPoint() const { return m_endPoint; }
    QPointF controlPoint1() const { return m_cp1; }
    QPointF controlPoint2() const { return m_cp2; }

private:
    QRectF drawPreview();

    int64_t m_numberOfClicks = 0;
    QColor m_primaryColor;
    QPointF m_cp1;
    QPointF m_cp2;
    QPointF m_beginPoint;
    QPointF m_endPoint;
    double m_pathWidth = 0.0;
    SWDrawnArea m_bufferRecord;
};
