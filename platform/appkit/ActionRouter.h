#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>

class QMenu;
class QMenuBar;
class QWidget;

namespace platform {

class MenuItem;
class Responder;

// Carries actions from menu items to their responders: first the window's
// focused view and the views that hold it (those that are responders), then
// the responders of the item's window (in the order registered, for example a
// view and then its document), then the application's. Watches menu bars so that every item is
// validated before its menu opens and before a key press can match a shortcut.
class ActionRouter : public QObject {
    Q_OBJECT
public:
    static ActionRouter& shared();

    // Responders after every window's, in the order added (the application
    // delegate, then the document controller).
    void addApplicationResponder(Responder* responder);
    void removeApplicationResponder(Responder* responder);
    void setWindowResponders(QWidget* window, const QList<Responder*>& responders);
    void removeWindowResponders(QWidget* window);

    // The first responder of the chain for that window (the active window
    // when null) that answers the action, or null.
    Responder* targetForAction(const QString& action, QWidget* window = nullptr) const;
    // Sends the action up the chain; false when nobody answered.
    bool sendAction(const QString& action, QObject* sender, QWidget* window = nullptr);

    // Settles the item's enabled state and returns it.
    bool validate(MenuItem* item);
    void validateMenu(QMenu* menu);
    void validateMenuBar(QMenuBar* bar);
    // Validates the item's menu of a menu bar whenever it is about to show.
    void watch(QMenuBar* bar);

    // Triggered items come here: validated once more, then performed; a
    // refused item beeps.
    void perform(MenuItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ActionRouter();
    QList<Responder*> chainFor(QWidget* window) const;
    QList<Responder*> m_application; // not owned
    std::map<QWidget*, QList<Responder*>> m_windows;
    bool m_filterInstalled = false;
    // The shortcut override seen last and the view it stopped at, to tell
    // its way up the views from a new key press. Only compared, never used:
    // the event may be gone.
    const QEvent* m_lastShortcutOverride = nullptr;
    quint64 m_lastShortcutTimestamp = 0;
    QPointer<QWidget> m_lastShortcutReceiver;
};

} // namespace platform
