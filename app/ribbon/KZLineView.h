#pragma once

#include <QWidget>

// A dotted vertical line down the middle of the view (one point on, two
// off, mid grey), for separating groups.
class KZLineView : public QWidget {
    Q_OBJECT
public:
    explicit KZLineView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
