#include "KZPopupPanel.h"

#include "KZTexturalButton.h"
#include "KZTexturalView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>
#include <QScreen>

#include <algorithm>

KZPopupPanel::KZPopupPanel(QWidget* parent)
    // A tool window rather than a Qt pop-up: the accessibility bridge leaves
    // pop-up windows out of the application's tree, and the controls shown
    // here must be found by name like any other. The closing on a click
    // outside is ours (eventFilter).
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground, true);
    m_contentView = new KZTexturalView(QStringLiteral("%1_popup_tab_tabview").arg(quint64(quintptr(this))), this);
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
    QWidget::hideEvent(event);
}

bool KZPopupPanel::eventFilter(QObject* watched, QEvent* event)
{
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
