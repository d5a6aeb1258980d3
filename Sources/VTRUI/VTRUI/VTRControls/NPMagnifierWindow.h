#pragma once

#include "NPMagnifierInfo.h"

#include <QSizeF>
#include <QWidget>

class NPMagnifierView;

// The loupe's window: borderless, see-through around its round face, always
// above the program's windows, never active and transparent to the mouse, so
// the pointer keeps working on what lies below.
class NPMagnifierWindow : public QWidget {
    Q_OBJECT
public:
    explicit NPMagnifierWindow(QWidget* parent = nullptr);

    bool canBecomeKeyWindow() const { return false; }
    bool canBecomeMainWindow() const { return false; }

    // The view fills the window; the window takes it over.
    void setContentView(QWidget* view);
    QWidget* contentView() const { return m_contentView; }
    // The content view as a magnifier view, or null (logged).
    NPMagnifierView* fetchContentView() const;
    QSizeF neededImageSize() const;
    void updateMagnifierInfo(const NPMagnifierInfo& info);

private:
    void customInit();

    QWidget* m_contentView = nullptr; // a child
};
