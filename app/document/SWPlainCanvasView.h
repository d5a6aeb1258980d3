#pragma once

#include <QWidget>

class SWImageDataSource;

// Shows the image store at one canvas pixel per device-independent pixel:
// the picture, then the preview buffer over it. A stand-in for the canvas
// view proper, which takes over mouse input and zoom.
class SWPlainCanvasView : public QWidget {
    Q_OBJECT
public:
    explicit SWPlainCanvasView(QWidget* parent = nullptr);

    // Not owned; the document keeps the store alive while the view shows it.
    void setDataSource(SWImageDataSource* dataSource);
    SWImageDataSource* dataSource() const { return m_dataSource; }
    // Takes the canvas size as the view's size.
    void updateFrame();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SWImageDataSource* m_dataSource = nullptr;
};
