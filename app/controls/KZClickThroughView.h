#pragma once

#include <QWidget>

// A view that never takes a click itself: clicks on it reach what lies
// behind, while its subviews can still be hit. The view keeps a mask of
// its subviews' frames for that.
class KZClickThroughView : public QWidget {
    Q_OBJECT
public:
    explicit KZClickThroughView(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateMask();
};
