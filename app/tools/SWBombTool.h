#pragma once

#include "SWTool.h"

#include <QColor>
#include <QTimer>

#include <cstdint>
#include <optional>

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
    QPainterPath pathFromPoint(const QPointF&, const QPointF&) override { return {}; }
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
    void fillCircle(QImage& image);

    std::optional<QCursor> m_cursor;
    QRectF m_rect;
    int64_t m_max = 0;
    int64_t m_i = 0;
    int64_t m_bombSpeed = 50;
    bool m_isExploding = false;
    QPointF m_p;
    QTimer m_bombTimer;
    QColor m_bombColor;
    // The circle the picture already holds in full, while nothing else has
    // changed the picture since (its cache key): the next, larger circle
    // only needs the ring outside it.
    double m_filledRadius = -1;
    qint64 m_filledKey = 0;
};
