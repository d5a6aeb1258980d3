#pragma once

#include <QScrollArea>

// A scroll area whose content runs under its scroll bars: the view port
// takes the whole area, and the bars (which draw only their knobs) lie on
// top of it.
class ZIDTransparentScrollView : public QScrollArea {
    Q_OBJECT
public:
    explicit ZIDTransparentScrollView(QWidget* parent = nullptr);

    // Lays the view port over the whole area again.
    void tile();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
