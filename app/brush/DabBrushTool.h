#pragma once

#include "SWTool.h"

#include <QCursor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>

class DabBrushResource;
class KZToolboxController;
class QMouseEvent;
class SWImageDataSource;

// The "Brushes" tool: it feeds the mouse gesture into the loaded brush,
// whose engine paints dabs straight into the main image (no preview in the
// buffer image). A gesture is: press (undo step, engine reset, nothing
// painted), drags (dabs painted, redraw rectangles reported), release (a
// last segment painted, the buffer cleared). Event timestamps give the
// engine its time steps; pressure is a fixed 0.75 and tilt 0.
class DabBrushTool : public SWTool {
public:
    // Base value of radius_logarithmic for a toolbox line width. Widths
    // below 1 count as 1, widths above 9 as 9; 1, 2, 3, 5 and 9 have their
    // own radius, the widths between them paint with a 1-pixel radius.
    static float radiusBaseValueForLineWidth(double width);
    // Time step the press passes: long enough to make the engine start over
    // at the pointer without painting.
    static constexpr double kPressTimeStep = 10.0;
    static constexpr float kPressure = 0.75f;
    // The cursor never grows beyond this many pixels.
    static constexpr double kMaxCursorSize = 18.0;

    explicit DabBrushTool(KZToolboxController* controller);
    ~DabBrushTool() override;

    // Reads a brush file and makes it the tool's brush, coloured black. A
    // missing file, a file the reader refuses and a reader failure keep the
    // present brush (the last two are logged). Returns whether the new brush
    // was taken. The tool's line width reaches the new brush at the next
    // press or the next width change.
    bool loadBrushWithFilePath(const QString& path);
    DabBrushResource* dabBrush() const { return m_dabBrush.get(); }

    // Twice the brush's reach while a brush is loaded, else the toolbox width.
    double lineWidth() const override;
    void setLineWidth(double width) override;

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override;
    QString description() const override { return QStringLiteral("Brushes"); }

    // Steps the brush to the point (engine coordinates, y upwards) on the
    // bitmaps: colours are read from mainImage and dabs written into
    // bufferImage (the tool passes the main image for both). Returns the
    // area painted, in top-down pixels of mainImage.
    QRectF drawOnContext(const QPointF& enginePoint, QImage& mainImage, QImage& bufferImage, int phase,
                         QMouseEvent* event);

    // The outline cursor, min(lineWidth, 18) pixels across.
    void createCustomCursor();
    const QCursor& customCursor() const { return m_customCursor; }
    bool hasCustomCursor() const { return m_hasCustomCursor; }

    double previousTimestamp() const { return m_previousTimestamp; }

private:
    // Seconds of the event, or of a steady clock when there is no event.
    static double timestampOf(const QMouseEvent* event);

    std::unique_ptr<DabBrushResource> m_dabBrush;
    double m_previousTimestamp = 0.0;
    QCursor m_customCursor;
    bool m_hasCustomCursor = false;
};
