#pragma once

#include <QObject>

class QWidget;

namespace platform {

// After the program has handled a user event (a key, a click, a move of the
// mouse, a window coming to the front) the main window runs its update pass
// once: when that window is Updatable it gets performUpdate(). Several
// events in one turn of the event loop cause one pass. The main window is the
// active window, or the window a panel or dialog belongs to.
class WindowUpdater : public QObject {
    Q_OBJECT
public:
    static WindowUpdater& shared();

    // Starts watching the application's events (once).
    void start();
    // The pass itself: what start() schedules.
    void updateMainWindow();
    // The window that counts as main now, or null.
    static QWidget* mainWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowUpdater() = default;
    bool m_started = false;
    bool m_scheduled = false;
};

} // namespace platform
