#include "KZPopupPanel.h"

#include "KZTexturalButton.h"
#include "KZTexturalView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QWindow>
#include <QScreen>

#include <algorithm>

KZPopupPanel::KZPopupPanel(QWidget* parent)
    // A tool window rather than a Qt pop-up: the accessibility bridge leaves
    // pop-up windows out of the application's tree, and the controls shown
    // here must be found by name like any other. The closing on a click
    // outside is ours (eventFilter). A tool window with a parent floats
    // above that window alone, and the window keeps its shortcuts.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground, true);
    m_contentView = new KZTexturalView(QStringLiteral("%1_popup_tab_tabview").arg(quint64(quintptr(this))), this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &KZPopupPanel::focusWindowChanged);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && isVisible())
            dismisses(this);
    });
}

void KZPopupPanel::belongTo(QWidget* window)
{
    if (m_owner == window)
        return;
    if (m_owner)
        m_owner->removeEventFilter(this);
    m_owner = window;
    if (!window)
        return;
    window->installEventFilter(this);
    // A panel made without a parent (a group's) becomes the window's own.
    if (!parentWidget() || parentWidget()->window() != window)
        setParent(window, windowFlags());
}

void KZPopupPanel::focusWindowChanged(QWindow* focus)
{
    // The panel is up while it or its window has the focus; another window
    // of the program taking it, or none (the program left), closes it.
    if (!isVisible() || focus == windowHandle())
        return;
    if (!focus || !m_owner || focus != m_owner->windowHandle())
        dismisses(this);
}

QRect KZPopupPanel::panelFrame(const QSize& viewSize, const QRect& controlRect, const QRect& visibleFrame)
{
    const int width = viewSize.width() + 2 * kInset;
    const int height = viewSize.height() + 2 * kInset;
    const int minX = visibleFrame.left();
    const int maxX = visibleFrame.left() + visibleFrame.width();
    const int top = visibleFrame.top();
    const int bottom = visibleFrame.top() + visibleFrame.height();
    const int controlBottom = controlRect.top() + controlRect.height();
    const int x = std::min(maxX - width, std::max(minX, controlRect.left()));
    const int y = std::max(top, std::min(bottom - height, controlBottom));
    return QRect(x, y, width, height);
}

void KZPopupPanel::raise(QWidget* view, QWidget* control)
{
    if (!view)
        return;
    QRect controlRect;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (control && control->window()) {
        controlRect = QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
        // The control's own screen, which need not be the first one.
        if (control->screen())
            screen = control->screen();
    }
    const QRect visible = screen ? screen->availableGeometry() : QRect();
    belongTo(control && control->window() != this ? control->window() : nullptr);
    view->setParent(m_contentView);
    view->setGeometry(kInset, kInset, view->width(), view->height());
    view->show();
    const QRect frame = panelFrame(view->size(), controlRect, visible);
    m_contentView->setGeometry(0, 0, frame.width(), frame.height());
    setGeometry(frame);
    show();
    activateWindow();
    QWidget::raise();
}

void KZPopupPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    qApp->installEventFilter(this);
}

void KZPopupPanel::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    const bool hadFocus = QGuiApplication::focusWindow() && QGuiApplication::focusWindow() == windowHandle();
    QWidget::hideEvent(event);
    // Keys go to the window again at once, its shortcuts among them.
    if (hadFocus && m_owner && m_owner->isVisible())
        m_owner->activateWindow();
}

void KZPopupPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        dismisses(this);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool KZPopupPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && (event->type() == QEvent::Hide || event->type() == QEvent::Close)) {
        if (isVisible())
            dismisses(this);
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress && isVisible()
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        dismisses(this);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        QWindow* window = widget ? widget->window()->windowHandle() : qobject_cast<QWindow*>(watched);
        if (window && window != windowHandle() && isVisible())
            hide();
    }
    return QWidget::eventFilter(watched, event);
}

void KZPopupPanel::dismisses(QObject*)
{
    for (KZTexturalButton* button : m_contentView->findChildren<KZTexturalButton*>())
        button->mouseExited(nullptr);
    hide();
}
