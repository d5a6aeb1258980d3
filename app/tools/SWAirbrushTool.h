#pragma once

#include "SWTool.h"

#include <QPoint>
#include "platform/foundation/Timer.h"

#include <optional>
#include <random>
#include <vector>

// The airbrush ("Airbrush"): while the mouse is down, a timer sprays dots at
// random around the pointer 50 times a second, ceil(w * w / 2) dots a tick
// spread evenly over the disc of radius 2w (w the line width), so the spray
// thickens where the pointer rests. The preview is the whole picture in the
// buffer image with the dots on it; the release copies it into the picture
// as one undo step.
class SWAirbrushTool : public SWTool {
public:
    static constexpr int kSprayIntervalMs = 20;

    explicit SWAirbrushTool(KZToolboxController* controller);
    ~SWAirbrushTool() override;

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override;
    QString description() const override { return QStringLiteral("Airbrush"); }
    // One tick's dots around b (a is not used), as zero-size rectangles;
    // sets the redraw rectangle to the spray disc's box.
    QPainterPath pathFromPoint(const QPointF& from, const QPointF& to) override;
    void tieUpLooseEnds() override;
    // After the document cleared the buffer while spraying: the picture goes
    // back under the spray (the dots so far are gone), so that the release
    // does not copy an empty preview over the picture.
    QRectF draw() override;

    // One tick of the timer: sprays one round of dots into the buffer.
    void spray();
    // Ends the spray: stops the timer and copies the preview into the
    // picture as one undo step.
    void endSpray();

    bool isSpraying() const { return m_isSpraying; }
    bool timerIsRunning() const { return m_airbrushTimer.isActive(); }
    // The dots of the latest tick, in canvas pixels.
    const std::vector<QPoint>& lastDots() const { return m_dots; }
    void seedRandom(unsigned seed) { m_random.seed(seed); }

private:
    std::optional<QCursor> m_cursor;
    platform::Timer m_airbrushTimer;
    QPointF m_p;
    bool m_isSpraying = false;
    std::minstd_rand m_random;
    std::vector<QPoint> m_dots;
};
