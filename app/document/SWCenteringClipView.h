#pragma once

#include <QImage>
#include <QWidget>

// The viewport of the zooming scroll view: paints the grey surround and a
// shadowed sheet under the canvas, filled with a tiled pattern (or white).
// Images dropped on the canvas arrive here, because the overlay in front of
// the canvas takes no drops, and are handed to the canvas.
class SWCenteringClipView : public QWidget {
    Q_OBJECT
public:
    explicit SWCenteringClipView(QWidget* parent = nullptr);
    ~SWCenteringClipView() override;

    QImage bgImagePattern() const { return m_bgImagePattern; }
    void setBgImagePattern(const QImage& pattern);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* documentView() const;
    double actualMagnification() const;

    QImage m_bgImagePattern;
};
