#pragma once

#include <QColor>
#include <QCursor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <functional>
#include <vector>

class KZBitmapImage;
class KZGraphicElement;
class KZVectorImage;
class QPainter;

// The drawing state of one vector tool and the one place where elements
// become marks. The tool feeds it the toolbox settings and the modifier keys
// of the latest mouse event; builders take colours and the line width from
// it; editors size their handles by its zoom factor. It owns no bitmap: it
// draws through whatever painter it is handed.
class KZGraphicsContext {
public:
    // Key paths announced to observers on every set, even of an equal value.
    static const QString kFrontColor;
    static const QString kBackColor;
    static const QString kLineWidth;
    static const QString kShouldFill;
    static const QString kShouldStroke;
    static const QString kKeyFlags;
    static const QString kSelectedColor;
    static const QString kZoomFactor;

    KZGraphicsContext();
    ~KZGraphicsContext();
    KZGraphicsContext(const KZGraphicsContext&) = delete;
    KZGraphicsContext& operator=(const KZGraphicsContext&) = delete;

    QColor frontColor() const { return m_frontColor; }
    void setFrontColor(const QColor& color);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor& color);
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width);
    bool shouldFill() const { return m_shouldFill; }
    void setShouldFill(bool fill);
    bool shouldStroke() const { return m_shouldStroke; }
    void setShouldStroke(bool stroke);
    QPointF savedPoint() const { return m_savedPoint; }
    void setSavedPoint(const QPointF& point) { m_savedPoint = point; }
    uint64_t keyFlags() const { return m_keyFlags; }
    void setKeyFlags(uint64_t flags);
    QColor selectedColor() const { return m_selectedColor; }
    void setSelectedColor(const QColor& color);
    double zoomFactor() const { return m_zoomFactor; }
    void setZoomFactor(double factor);
    QCursor defaultCursor() const { return m_defaultCursor; }
    void setDefaultCursor(const QCursor& cursor) { m_defaultCursor = cursor; }

    // Front colour fills and back colour strokes while Option is held;
    // otherwise the other way round.
    QColor fillColor() const;
    QColor strokeColor() const;

    // Draws the element at its own place (its bounds' origin as the point,
    // optimised). A null element or painter draws nothing: zero rectangle.
    QRectF drawGraphicElement(QPainter* painter, KZGraphicElement* element);
    // Draws the element so that its bounds' origin lands on the point.
    // allowOptimise chooses smooth image interpolation; anti-aliasing
    // follows the "AllowAntialias" setting.
    QRectF drawGraphicElement(QPainter* painter, KZGraphicElement* element, const QPointF& point, bool allowOptimise);
    // The element's transform followed by the move that puts its bounds'
    // origin on the point.
    static QTransform transformGraphic(const KZGraphicElement& element, const QPointF& point);
    // How many elements have been drawn in this process: a large element
    // costs tens of milliseconds a drawing, so tests and benchmarks check
    // that an event draws it no more often than it must.
    static quint64 elementDrawCount();
    // Hard pixel edges always: no interpolation, no anti-aliasing.
    QRectF drawBitmapImage(QPainter& painter, KZBitmapImage& element, const QPointF& point);
    // Fill, then stroke on top; the line width applies after the mapping, so
    // the stroke does not grow with the element.
    QRectF drawVectorImage(QPainter& painter, KZVectorImage& element, const QPointF& point);

    // Observation of the keys above. Remove an owner before it dies.
    using Observer = std::function<void(const QString& keyPath)>;
    void addObserver(const void* owner, Observer observer);
    void removeObserver(const void* owner);

private:
    void didChange(const QString& keyPath);

    QColor m_frontColor;
    QColor m_backColor;
    double m_lineWidth = 5.0;
    bool m_shouldFill = false;
    bool m_shouldStroke = true;
    QPointF m_savedPoint;
    uint64_t m_keyFlags = 0;
    QColor m_selectedColor;
    double m_zoomFactor = 1.0;
    QCursor m_defaultCursor;
    std::vector<std::pair<const void*, Observer>> m_observers;
};
