#include "Popover.h"

#include "PopoverDelegate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace platform {

namespace {
constexpr int kBorder = 1;
} // namespace

Popover::Popover()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kBorder, kBorder, kBorder, kBorder);
}

Popover::~Popover()
{
    qApp->removeEventFilter(this);
}

void Popover::setContentViewController(QWidget* content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (content) {
        content->setParent(this);
        layout()->addWidget(content);
    }
    adjustSize();
}

QPoint Popover::placement(const QRect& anchor, const QSize& size, Edge edge, const QRect& available)
{
    QPoint at;
    switch (edge) {
    case MinXEdge:
        at = QPoint(anchor.left() - size.width(), anchor.center().y() - size.height() / 2);
        break;
    case MaxXEdge:
        at = QPoint(anchor.right() + 1, anchor.center().y() - size.height() / 2);
        break;
    case MinYEdge:
        at = QPoint(anchor.center().x() - size.width() / 2, anchor.top() - size.height());
        break;
    case MaxYEdge:
    default:
        at = QPoint(anchor.center().x() - size.width() / 2, anchor.bottom() + 1);
        break;
    }
    if (!available.isEmpty()) {
        at.setX(qBound(available.left(), at.x(), qMax(available.left(), available.right() + 1 - size.width())));
        at.setY(qBound(available.top(), at.y(), qMax(available.top(), available.bottom() + 1 - size.height())));
    }
    return at;
}

void Popover::showRelativeToRect(const QRectF& rect, QWidget* view, Edge preferredEdge)
{
    if (!view)
        return;
    const QRect local = rect.isEmpty() ? view->rect() : rect.toAlignedRect();
    const QRect anchor(view->mapToGlobal(local.topLeft()), local.size());
    QScreen* screen = view->screen();
    adjustSize();
    move(placement(anchor, size(), preferredEdge, screen ? screen->availableGeometry() : QRect()));
    if (m_delegate)
        m_delegate->popoverWillShow(*this);
    m_shown = true;
    // A transient popover watches the program's input to close on a click
    // outside it. (A toolkit popup would do this too, but popups are left
    // out of the accessibility tree.)
    if (m_behavior != ApplicationDefined)
        qApp->installEventFilter(this);
    show();
    if (m_delegate)
        m_delegate->popoverDidShow(*this);
}

void Popover::closeEvent(QCloseEvent* event)
{
    if (!m_shown) {
        event->accept();
        return;
    }
    if (m_delegate)
        m_delegate->popoverWillClose(*this);
    m_shown = false;
    qApp->removeEventFilter(this);
    event->accept();
    // Did-close comes once the popover has gone from the screen, unless it
    // was shown again meanwhile.
    QTimer::singleShot(0, this, [this] {
        if (!m_shown && m_delegate)
            m_delegate->popoverDidClose(*this);
    });
}

bool Popover::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_shown || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::MouseButtonPress && widget->window() != this) {
        close();
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
               widget->window() == this) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Popover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace platform
