#pragma once

#include <QWidget>

// A floating tool palette that never becomes the key window: showing it
// or clicking in it leaves the keyboard with the document window.
class SWToolboxPanel : public QWidget {
    Q_OBJECT
public:
    explicit SWToolboxPanel(QWidget* parent = nullptr);

    bool canBecomeKeyWindow() const { return false; }
};
