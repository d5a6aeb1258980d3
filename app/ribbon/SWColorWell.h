#pragma once

#include "platform/appkit/ColorWell.h"

#include <QImage>

// A toolbar colour well. It announces every change of its colour, every
// click and its deactivation with the notification "SWColorSet" (no
// sender), which the toolbox controller and the colour selector observe.
// Its hover mark is set by its colour selector; while hovered it shows the
// "hoveredwell" image, while active the "pressedwell" one. Deactivating it
// closes the shared colour panel. Mouse presses and releases also reach
// the view it sits in.
class SWColorWell : public platform::ColorWell {
    Q_OBJECT
public:
    static const QString kColorSetNotification; // "SWColorSet"

    explicit SWColorWell(QWidget* parent = nullptr);

    void setColor(const QColor& color) override;
    void deactivate() override;

    bool isHovered() const { return m_isHovered; }
    void setIsHovered(bool hovered) { m_isHovered = hovered; }
    QImage hovImage() const { return m_hovImage; }
    QImage pressedImage() const { return m_pressedImage; }
    bool isOpaque() const { return false; }

    QSize sizeHint() const override { return QSize(24, 24); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void postColorSet();
    void passToSuperview(QMouseEvent* event);
    QImage m_hovImage;
    QImage m_pressedImage;
    bool m_isHovered = false;
};
