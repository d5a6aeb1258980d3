#include "KZRibbonWindow.h"

#include "KZDescendantWalk.h"
#include "KZTexturalButton.h"

#include "platform/appkit/Document.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/WindowUpdater.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

const QColor KZRibbonWindow::kBackgroundColor = QColor::fromRgbF(0.2705882489681244f, 0.2705882489681244f,
                                                                 0.2705882489681244f, 1.0f);

namespace {
QWidget* toolbarHolder(QWidget* parent, const QString& name)
{
    auto* holder = new QWidget(parent);
    holder->setObjectName(name);
    return holder;
}
} // namespace

KZRibbonWindow::KZRibbonWindow(platform::Document* document)
    : platform::DocumentWindow(document)
{
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("ribbonWindowContent"));
    m_column = new QVBoxLayout(content);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);

    m_titleBar = new QWidget(content);
    m_titleBar->setObjectName(QStringLiteral("titleBar"));
    m_titleBar->setFixedHeight(kTitleBarHeight);
    m_titleBar->installEventFilter(this);
    m_column->addWidget(m_titleBar);

    m_leftToolbar = toolbarHolder(m_titleBar, QStringLiteral("leftToolbar"));
    m_titleLabel = new QLabel(m_leftToolbar);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    QFont titleFont = m_titleLabel->font();
    titleFont.setPixelSize(13);
    m_titleLabel->setFont(titleFont);
    QPalette white = m_titleLabel->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_titleLabel->setPalette(white);
    auto* leftRow = new QHBoxLayout(m_leftToolbar);
    leftRow->setContentsMargins(8, 0, 0, 0);
    leftRow->addWidget(m_titleLabel);

    m_rightToolbar = toolbarHolder(m_titleBar, QStringLiteral("rightToolbar"));
    auto* toggle = new KZTexturalButton(QStringLiteral("btn_color"), KZTexturalButtonCell::OnOff, m_rightToolbar);
    toggle->setObjectName(QStringLiteral("ribbonToggle"));
    toggle->setTitle(kHideToolPanel);
    toggle->setAccessibleDescription(tr("Hides or shows the ribbon of tool groups"));
    toggle->setState(1);
    toggle->setFocusPolicy(Qt::NoFocus);
    toggle->setTarget(this);
    toggle->setAction(kToggleRibbonPanel);
    auto* rightRow = new QHBoxLayout(m_rightToolbar);
    rightRow->setContentsMargins(0, 2, 8, 2);
    rightRow->addStretch(1);
    rightRow->addWidget(toggle);

    m_ribbonContentView = new QWidget(content);
    m_ribbonContentView->setObjectName(QStringLiteral("ribbonContentView"));
    auto* ribbonColumn = new QVBoxLayout(m_ribbonContentView);
    ribbonColumn->setContentsMargins(0, 0, 0, 0);
    ribbonColumn->setSpacing(0);
    m_ribbonPanel = new QWidget(m_ribbonContentView);
    m_ribbonPanel->setObjectName(QStringLiteral("ribbonPanel"));
    ribbonColumn->addWidget(m_ribbonPanel);
    m_column->addWidget(m_ribbonContentView);

    setCentralWidget(content);
    platform::Responder::addAction(kToggleRibbonPanel, [this](QObject* sender) { toggleRibbonPanel(sender); });
    postInit();
}

KZRibbonWindow::~KZRibbonWindow()
{
    if (m_titleBar)
        m_titleBar->removeEventFilter(this);
    if (centralWidget())
        centralWidget()->removeEventFilter(this);
}

void KZRibbonWindow::postInit()
{
    // The window is made at its design size, and its content view takes
    // that frame at once (the window's own layout would do so only when it
    // is first shown).
    resize(kDesignTimeContentSize);
    QWidget* content = centralWidget();
    if (content) {
        content->setGeometry(QRect(QPoint(0, 0), kDesignTimeContentSize));
        layOutNow(content);
    }
    setDesignTimeContentViewFrame(content ? QRectF(content->geometry()) : QRectF());
}

void KZRibbonWindow::layOutNow(QWidget* view)
{
    if (!view)
        return;
    forgetSizeHints(view);
    placeChildren(view);
}

void KZRibbonWindow::forgetSizeHints(QWidget* view)
{
    // A hidden window's layouts keep the hints they had before the
    // document filled them: children first, so parents ask afresh.
    for (QWidget* child : view->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            forgetSizeHints(child);
    }
    view->updateGeometry();
    if (QLayout* layout = view->layout())
        layout->invalidate();
}

void KZRibbonWindow::placeChildren(QWidget* view)
{
    if (QLayout* layout = view->layout())
        layout->setGeometry(view->contentsRect());
    for (QWidget* child : view->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            placeChildren(child);
    }
}

void KZRibbonWindow::setLeftToolbar(QWidget* toolbar)
{
    m_leftToolbar = toolbar;
}

void KZRibbonWindow::setRightToolbar(QWidget* toolbar)
{
    m_rightToolbar = toolbar;
}

void KZRibbonWindow::setDocumentView(QWidget* view)
{
    if (m_documentView)
        m_column->removeWidget(m_documentView);
    m_documentView = view;
    if (view)
        m_column->addWidget(view, 1);
}

void KZRibbonWindow::awakeFromNib()
{
    if (QWidget* content = centralWidget())
        content->installEventFilter(this);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, kBackgroundColor);
    setPalette(dark);
    if (QWidget* content = centralWidget()) {
        content->setAutoFillBackground(true);
        content->setPalette(dark);
    }
    for (QWidget* toolbar : {m_leftToolbar.data(), m_rightToolbar.data()}) {
        if (toolbar) {
            toolbar->setParent(m_titleBar);
            toolbar->show();
        }
    }
    // What the document placed in the ribbon and below it takes its design
    // frame in the content view's design frame, so that its views can
    // record where they were laid out.
    if (QWidget* content = centralWidget(); content && !isVisible()) {
        content->setGeometry(designTimeContentViewFrame().toRect());
        layOutNow(content);
    }
    recalculateTitileRect();
}

QRectF KZRibbonWindow::designTimeContentViewFrame() const
{
    const std::lock_guard lock(m_frameMutex);
    return m_designTimeContentViewFrame;
}

void KZRibbonWindow::setDesignTimeContentViewFrame(const QRectF& frame)
{
    const std::lock_guard lock(m_frameMutex);
    m_designTimeContentViewFrame = frame;
}

void KZRibbonWindow::setTitle(const QString& title)
{
    setWindowTitle(title);
    if (m_titleLabel)
        m_titleLabel->setText(title);
}

void KZRibbonWindow::recalculateTitileRect()
{
    const int height = m_leftToolbar ? m_leftToolbar->height() : 0;
    // A window narrower than the allowance leaves the toolbar empty, not negative.
    const int width = std::max(0, this->width() - kTitleLabelAllowance);
    if (m_leftToolbar) {
        m_leftToolbar->setGeometry(0, 0, width, m_titleBar ? m_titleBar->height() : height);
    }
    if (m_rightToolbar && m_titleBar) {
        const int rightWidth = std::max(0, m_titleBar->width() - width);
        m_rightToolbar->setGeometry(width, 0, rightWidth, m_titleBar->height());
    }
}

bool KZRibbonWindow::isRibbonPanelHidden() const
{
    return !m_ribbonPanel || m_ribbonPanel->isHidden();
}

void KZRibbonWindow::toggleRibbonPanel(QObject*)
{
    if (!m_ribbonPanel)
        return;
    m_ribbonPanel->setHidden(!m_ribbonPanel->isHidden());
    // The buttons that toggle it show the new state at once.
    KZDescendantWalk::enumerateDescendantsUsingBlock(m_rightToolbar, [this](QWidget* view, int, bool*) {
        if (auto* button = qobject_cast<KZTexturalButton*>(view);
            button && button->targetAction().action() == kToggleRibbonPanel)
            labelToggleItem(button);
    });
}

void KZRibbonWindow::labelToggleItem(QObject* item) const
{
    const bool hidden = isRibbonPanelHidden();
    const QString text = hidden ? kShowToolPanel : kHideToolPanel;
    if (auto* button = qobject_cast<KZTexturalButton*>(item)) {
        button->setState(hidden ? 0 : 1);
        if (button->imagePosition() != platform::ButtonCell::ImageOnly)
            button->setTitle(text);
        return;
    }
    if (auto* action = qobject_cast<QAction*>(item)) {
        action->setText(text);
        return;
    }
    if (item && item->metaObject()->indexOfProperty("text") >= 0)
        item->setProperty("text", text);
}

bool KZRibbonWindow::validateMenuItem(platform::MenuItem* item)
{
    if (item && item->actionName() == kToggleRibbonPanel)
        labelToggleItem(item);
    return platform::Responder::validateMenuItem(item);
}

std::optional<bool> KZRibbonWindow::validateUserInterfaceItem(QObject* item, const QString& action, int tag)
{
    if (action == kToggleRibbonPanel)
        labelToggleItem(item);
    return platform::Responder::validateUserInterfaceItem(item, action, tag);
}

void KZRibbonWindow::performUpdate()
{
    updateAsMain(platform::WindowUpdater::mainWindow() == this);
}

void KZRibbonWindow::updateAsMain(bool isMain)
{
    if (!isMain)
        return;
    if (m_documentUpdate)
        m_documentUpdate();
    for (QWidget* toolbar : {m_leftToolbar.data(), m_rightToolbar.data()}) {
        KZDescendantWalk::enumerateDescendantsUsingBlock(toolbar, [](QWidget* view, int, bool*) {
            if (auto* updatable = dynamic_cast<platform::Updatable*>(view))
                updatable->performUpdate();
        });
    }
}

void KZRibbonWindow::resizeEvent(QResizeEvent* event)
{
    platform::DocumentWindow::resizeEvent(event);
    recalculateTitileRect();
}

void KZRibbonWindow::changeEvent(QEvent* event)
{
    platform::DocumentWindow::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange && m_titleLabel)
        m_titleLabel->setText(windowTitle().remove(QStringLiteral("[*]")));
}

bool KZRibbonWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Only the content view's own frame changes count (and the title bar's,
    // which moves with it).
    if (event->type() == QEvent::Resize && (watched == centralWidget() || watched == m_titleBar.data()))
        recalculateTitileRect();
    return platform::DocumentWindow::eventFilter(watched, event);
}
