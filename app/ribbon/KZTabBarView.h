#pragma once

#include <QGradientStops>
#include <QWidget>

// The bar behind a row of tab labels: a gradient from a darker blue-grey at
// the bottom to a lighter one at the top.
class KZTabBarView : public QWidget {
    Q_OBJECT
public:
    explicit KZTabBarView(QWidget* parent = nullptr);

    // The bar's colours from bottom (0) to top (1); the tab labels that are
    // not chosen use them too.
    static QGradientStops barStops();

protected:
    void paintEvent(QPaintEvent* event) override;
};
