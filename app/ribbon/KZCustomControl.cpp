#include "KZCustomControl.h"

#include <QEvent>

QHash<QString, KZCustomControl::InterfaceLoader>& KZCustomControl::interfaces()
{
    static QHash<QString, InterfaceLoader> registered;
    return registered;
}

void KZCustomControl::registerInterface(const QString& name, InterfaceLoader loader)
{
    interfaces().insert(name, std::move(loader));
}

bool KZCustomControl::hasInterface(const QString& name)
{
    return interfaces().contains(name);
}

KZCustomControl::KZCustomControl(QWidget* parent)
    : QWidget(parent)
{
}

KZCustomControl::KZCustomControl(const QRect& frame, QWidget* parent)
    : QWidget(parent)
{
    setGeometry(frame);
}

QString KZCustomControl::nibName() const
{
    return QString::fromLatin1(metaObject()->className());
}

KZCustomControl* KZCustomControl::loadFromNib(const QString& name)
{
    const auto it = interfaces().constFind(name);
    if (it == interfaces().constEnd() || !it.value())
        return this;
    if (QWidget* content = it.value()(this))
        m_contentView = content;
    return this;
}

void KZCustomControl::loadContentOnce()
{
    // Not in the constructor: only once the object is whole does nibName()
    // give the subclass's name.
    if (m_loaded)
        return;
    m_loaded = true;
    loadFromNib(nibName());
    if (m_contentView) {
        m_contentView->setParent(this);
        m_contentView->setGeometry(QRect(QPoint(0, 0), size()));
        m_contentView->show();
    }
}

QWidget* KZCustomControl::contentView()
{
    loadContentOnce();
    return m_contentView;
}

bool KZCustomControl::event(QEvent* event)
{
    if (event->type() == QEvent::Polish)
        loadContentOnce();
    return QWidget::event(event);
}
