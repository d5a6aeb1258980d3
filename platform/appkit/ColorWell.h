#pragma once

#include <QColor>
#include <QMetaObject>
#include <QWidget>

namespace platform {

// A control that shows a colour. A click makes it the one active well: the
// shared colour panel opens with the well's colour, and every colour the
// user picks there becomes the well's. A second click, or another well's
// activation, deactivates it. The colour panel stays open when a well goes
// inactive; a subclass that wants it closed closes it.
class ColorWell : public QWidget {
    Q_OBJECT
public:
    explicit ColorWell(QWidget* parent = nullptr);
    ~ColorWell() override;

    QColor color() const { return m_color; }
    virtual void setColor(const QColor& color);

    bool isActive() const { return m_active; }
    // Exclusive: every other active well is deactivated first.
    virtual void activate(bool exclusive);
    virtual void deactivate();

    QSize sizeHint() const override { return QSize(44, 23); }

protected:
    void paintEvent(QPaintEvent* event) override;
    // A press and release on the well toggle its activation.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_color = Qt::white;
    bool m_active = false;
    bool m_pressed = false;
    QMetaObject::Connection m_panelConnection;
};

} // namespace platform
