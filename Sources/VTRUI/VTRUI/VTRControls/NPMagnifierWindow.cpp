#include "NPMagnifierWindow.h"

#include "NPMagnifierView.h"
#include "VTRDebug.h"

#include <QVBoxLayout>

NPMagnifierWindow::NPMagnifierWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput
                          | Qt::WindowDoesNotAcceptFocus)
{
    customInit();
}

void NPMagnifierWindow::customInit()
{
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void NPMagnifierWindow::setContentView(QWidget* view)
{
    if (m_contentView == view)
        return;
    delete m_contentView;
    m_contentView = view;
    if (view)
        layout()->addWidget(view);
}

NPMagnifierView* NPMagnifierWindow::fetchContentView() const
{
    auto* view = qobject_cast<NPMagnifierView*>(m_contentView);
    VTRDebug::verify(view != nullptr, QStringLiteral("Invalid view type"), QString(),
                     QStringLiteral("NPMagnifierWindow::fetchContentView"), __LINE__);
    return view;
}

QSizeF NPMagnifierWindow::neededImageSize() const
{
    NPMagnifierView* view = fetchContentView();
    return view ? view->neededImageSize() : QSizeF();
}

void NPMagnifierWindow::updateMagnifierInfo(const NPMagnifierInfo& info)
{
    if (NPMagnifierView* view = fetchContentView())
        view->updateMagnifierInfo(info);
}
