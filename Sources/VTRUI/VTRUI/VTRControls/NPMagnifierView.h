#pragma once

#include "NPMagnifierInfo.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include <optional>

// The loupe's face: the captured pixels enlarged 16 times inside a round
// frame, a grid between them, the centre pixel framed, and the centre colour
// as text ("255 128 0 255") in a dark box 50 points above the bottom edge.
class NPMagnifierView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kCellSize = 16.0;

    explicit NPMagnifierView(QWidget* parent = nullptr);

    // Pixels the owner has to capture: the view's size over 16.
    QSizeF neededImageSize() const;
    void updateMagnifierInfo(const NPMagnifierInfo& info);
    const std::optional<NPMagnifierInfo>& magnifierInfo() const { return m_magnifierInfo; }

    const QString& colorString() const { return m_colorString; }
    const QFont& colorStringFont() const { return m_colorStringFont; }
    const QPainterPath& colorStringBoxPath() const { return m_colorStringBoxPath; }
    const QRectF& colorStringFrame() const { return m_colorStringFrame; }
    const QColor& borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);

    // The centre pixel's cell in a view of that size.
    static QRectF centerCellRect(const QSizeF& size);
    // "r g b a", each channel times 255 rounded.
    static QString colorText(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void customInit();
    void updateColorInfo();
    // The size of one device pixel, in points.
    double backingScaleFactor() const;
    void drawGridsInRect(const QRectF& rect, QPainter& context) const;

    std::optional<NPMagnifierInfo> m_magnifierInfo;
    QString m_colorString;
    QFont m_colorStringFont;
    QPainterPath m_colorStringBoxPath;
    QRectF m_colorStringFrame;
    QColor m_borderColor;
};
