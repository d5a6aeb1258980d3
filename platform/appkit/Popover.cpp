#include "Popover.h"

#include "PopoverDelegate.h"

#include <QCloseEvent>
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

Popover::~Popover() = default;

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
    // A transient popover is a popup: the toolkit closes it on a click
    // outside it.
    setWindowFlags(m_behavior == Transient ? (Qt::Popup | Qt::FramelessWindowHint)
                                           : (Qt::Tool | Qt::FramelessWindowHint));
    const QRect local = rect.isEmpty() ? view->rect() : rect.toAlignedRect();
    const QRect anchor(view->mapToGlobal(local.topLeft()), local.size());
    QScreen* screen = view->screen();
    adjustSize();
    move(placement(anchor, size(), preferredEdge, screen ? screen->availableGeometry() : QRect()));
    if (m_delegate)
        m_delegate->popoverWillShow(*this);
    m_shown = true;
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
    event->accept();
    // Did-close comes once the popover has gone from the screen.
    QTimer::singleShot(0, this, [this] {
        if (m_delegate)
            m_delegate->popoverDidClose(*this);
    });
}

void Popover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace platform
