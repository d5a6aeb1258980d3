#pragma once

#include <QWidget>

// A framed tab page: a blue-grey ground with a dark line along the bottom
// and a light one along the top, and a rounded, lightly shaded panel inset
// by a few points.
class KZTabItemView : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kFrameInset = 3.0;
    static constexpr qreal kPanelInset = 4.0;
    static constexpr qreal kCornerRadius = 3.0;

    explicit KZTabItemView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
