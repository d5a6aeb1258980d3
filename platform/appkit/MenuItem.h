#pragma once

#include <QAction>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace platform {

class Responder;

// A menu command: a named action sent to the first responder that answers
// it (or to a fixed target), with an integer tag the target may read.
// Its enabled state is settled by validation just before its menu shows and
// before any shortcut is matched, so a shortcut never fires a disabled item.
class MenuItem : public QAction {
    Q_OBJECT
public:
    MenuItem(const QString& title, const QString& action, const QKeySequence& shortcut = {},
             QObject* parent = nullptr);

    QString actionName() const { return m_action; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // A fixed target; without one the action goes up the responder chain.
    Responder* target() const { return m_target; }
    void setTarget(Responder* target) { m_target = target; }
    // The window whose responders the action reaches first (the window that
    // shows this item's menu bar); without one, the active window.
    QWidget* window() const { return m_window; }
    void setWindow(QWidget* window) { m_window = window; }

private:
    QString m_action;
    int m_tag = 0;
    Responder* m_target = nullptr; // not owned
    QPointer<QWidget> m_window;
};

} // namespace platform
