#include "ActionRouter.h"

#include "Beep.h"
#include "MenuItem.h"
#include "Responder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace platform {

ActionRouter& ActionRouter::shared()
{
    static ActionRouter* router = new ActionRouter;
    return *router;
}

ActionRouter::ActionRouter() = default;

void ActionRouter::addApplicationResponder(Responder* responder)
{
    if (!m_application.contains(responder))
        m_application << responder;
}

void ActionRouter::removeApplicationResponder(Responder* responder)
{
    m_application.removeAll(responder);
}

void ActionRouter::setWindowResponders(QWidget* window, const QList<Responder*>& responders)
{
    m_windows[window] = responders;
}

void ActionRouter::removeWindowResponders(QWidget* window)
{
    m_windows.erase(window);
}

QList<Responder*> ActionRouter::chainFor(QWidget* window) const
{
    if (!window)
        window = QApplication::activeWindow();
    QList<Responder*> chain;
    // The window's focused view and the views around it come first, the way
    // typing reaches them (a focused text takes a picked font or colour).
    if (window) {
        for (QWidget* w = window->focusWidget(); w && w != window; w = w->parentWidget()) {
            if (auto* responder = dynamic_cast<Responder*>(w))
                chain << responder;
        }
    }
    // A dialog over a document window still sends to that document.
    for (QWidget* w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        const auto it = m_windows.find(w);
        if (it != m_windows.end()) {
            chain << it->second;
            break;
        }
    }
    chain << m_application;
    return chain;
}

Responder* ActionRouter::targetForAction(const QString& action, QWidget* window) const
{
    for (Responder* responder : chainFor(window)) {
        if (responder->respondsToAction(action))
            return responder;
    }
    return nullptr;
}

bool ActionRouter::sendAction(const QString& action, QObject* sender, QWidget* window)
{
    Responder* target = targetForAction(action, window);
    return target && target->tryToPerform(action, sender);
}

bool ActionRouter::validate(MenuItem* item)
{
    Responder* target = item->target();
    if (target && !target->respondsToAction(item->actionName()))
        target = nullptr;
    if (!target)
        target = targetForAction(item->actionName(), item->window());
    const bool enabled = target && target->validateMenuItem(item);
    item->setEnabled(enabled);
    return enabled;
}

void ActionRouter::validateMenu(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        if (auto* item = qobject_cast<MenuItem*>(action))
            validate(item);
        else if (action->menu())
            validateMenu(action->menu());
    }
}

void ActionRouter::validateMenuBar(QMenuBar* bar)
{
    for (QAction* action : bar->actions()) {
        if (action->menu())
            validateMenu(action->menu());
    }
}

void ActionRouter::watch(QMenuBar* bar)
{
    for (QAction* action : bar->actions()) {
        if (QMenu* menu = action->menu())
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { validateMenu(menu); });
    }
    if (!m_filterInstalled && qApp) {
        qApp->installEventFilter(this);
        m_filterInstalled = true;
    }
}

void ActionRouter::perform(MenuItem* item)
{
    if (!validate(item)) {
        Beep::play();
        return;
    }
    Responder* target = item->target();
    if (target && target->respondsToAction(item->actionName())) {
        target->tryToPerform(item->actionName(), item);
        return;
    }
    sendAction(item->actionName(), item, item->window());
}

bool ActionRouter::eventFilter(QObject* watched, QEvent* event)
{
    // Qt matches shortcuts after offering the key press as a shortcut
    // override; settle every item of the window's menu bar before that.
    // The override travels from the focused view up through every view that
    // holds it, and each stop passes this filter: the bar is validated at the
    // first stop only, since validating it may ask documents costly questions.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const quint64 timestamp = static_cast<QKeyEvent*>(event)->timestamp();
        const bool sameDelivery = event == m_lastShortcutOverride && timestamp == m_lastShortcutTimestamp
                                  && m_lastShortcutReceiver && m_lastShortcutReceiver != widget
                                  && widget->isAncestorOf(m_lastShortcutReceiver);
        m_lastShortcutOverride = event;
        m_lastShortcutTimestamp = timestamp;
        m_lastShortcutReceiver = widget;
        if (!sameDelivery) {
            if (auto* main = qobject_cast<QMainWindow*>(widget->window())) {
                if (QMenuBar* bar = main->menuWidget() ? qobject_cast<QMenuBar*>(main->menuWidget()) : nullptr)
                    validateMenuBar(bar);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
