#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <QColor>
#include "platform/foundation/Timer.h"

#include <cstdint>
#include <optional>
#include <vector>

// The bomb ("Bomb"): a click starts a filled circle of the back colour (the
// front colour with Option) that grows from the click point 60 times a
// second, by 50 pixels a tick (2 with Shift), until it covers the picture's
// diagonal; then the whole picture takes the colour. The explosion, circles
// and final fill, is one undo step. A second click, a change of tool or a
// document command finishes a running explosion at once.
class SWBombTool : public SWTool {
public:
    static constexpr int kTickIntervalMs = 16; // about 1/60 s

    explicit SWBombTool(KZToolboxController* controller);
    ~SWBombTool() override;

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override;
    QString description() const override { return QStringLiteral("Bomb"); }
    QPainterPath pathFromPoint(const QPointF&, const QPointF&) override { return QPainterPath(); }
    void tieUpLooseEnds() override;

    // One tick of the timer: the next circle, or the end.
    void drawNewCircle();
    // Fills the whole picture and stops.
    void endExplosion();

    bool isExploding() const { return m_isExploding; }
    bool timerIsRunning() const { return m_bombTimer.isActive(); }
    int64_t radius() const { return m_i; }
    int64_t finalRadius() const { return m_max; }
    int64_t bombSpeed() const { return m_bombSpeed; }
    QRectF circleRect() const { return m_rect; }

private:
    struct Run {
        int left = 0;
        int right = 0; // exclusive
    };
    // Fills the disc inscribed in m_rect with the bomb colour, replacing
    // the pixels (anti-aliased at its rim when asked). Pixels the previous,
    // smaller disc covered in full already hold the colour and are skipped,
    // while the picture is as that disc left it (its cache key).
    void fillCircle(QImage& image);
    // Each row's run of pixels the last disc covered in full; null when the
    // picture may have changed since.
    const std::vector<Run>* filledRuns(const QImage& image) const;

    std::optional<QCursor> m_cursor;
    QRectF m_rect;
    int64_t m_max = 0;
    int64_t m_i = 0;
    int64_t m_bombSpeed = 50;
    bool m_isExploding = false;
    QPointF m_p;
    platform::Timer m_bombTimer;
    QColor m_bombColor;
    std::vector<Run> m_filledRuns;
    qint64 m_filledKey = 0;
    bool m_filledValid = false;
    // The buffer, cleared at the press: the bomb never draws there.
    SWDrawnArea m_bufferRecord;
};
