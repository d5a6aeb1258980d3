#pragma once

#include <QScrollBar>

// A scroll bar that draws only its knob, no track or arrows, so the content
// below shows through.
class ZIDTransparentScroller : public QScrollBar {
    Q_OBJECT
public:
    explicit ZIDTransparentScroller(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
