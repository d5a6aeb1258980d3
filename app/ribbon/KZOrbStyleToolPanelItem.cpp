#include "KZOrbStyleToolPanelItem.h"

#include "KZPopupPanel.h"
#include "KZTexturalView.h"
#include "KZThinButton.h"

#include "platform/appkit/ButtonCell.h"
#include "platform/appkit/Updatable.h"

#include <QApplication>
#include <QLabel>

namespace {
// The drop-down button's title: the group's title over a small arrow.
QString dropDownTitle(const QString& title)
{
    return QStringLiteral("%1 \n\u25BE").arg(title);
}
} // namespace

KZOrbStyleToolPanelItem::KZOrbStyleToolPanelItem(QObject* parent)
    : QObject(parent)
{
    buildUserInterface();
}

KZOrbStyleToolPanelItem::~KZOrbStyleToolPanelItem()
{
    delete m_popupPanel;
    // Whatever no host took is still ours.
    delete m_view;
    delete m_normalView;
    delete m_droplistButton;
    delete m_canvas;
}

void KZOrbStyleToolPanelItem::buildUserInterface()
{
    m_textField = new QLabel;
    m_textField->setObjectName(QStringLiteral("groupTitle"));
    QFont small = m_textField->font();
    small.setPixelSize(11);
    m_textField->setFont(small);
    QPalette palette = m_textField->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    m_textField->setPalette(palette);
    m_textField->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_textField->setAutoFillBackground(false);
    m_textField->setGeometry(0, 0, 100, 0);

    m_canvas = new QWidget;
    m_canvas->setGeometry(0, 0, 100, 100);
    m_contentView = new QWidget(m_canvas);
    m_contentView->setGeometry(0, 0, 100, 100);
    m_textField->setParent(m_canvas);

    m_popupPanel = new KZPopupPanel;

    m_droplistButton = new KZThinButton(QStringLiteral("%1_btn_color_adv").arg(quint64(quintptr(this))),
                                        KZTexturalButtonCell::Momentary);
    m_droplistButton->setImagePosition(platform::ButtonCell::ImageAbove);
    m_droplistButton->setBezelStyle(platform::ButtonCell::BezelTexturedSquare);
    m_droplistButton->setBordered(true);
    QFont buttonFont = m_droplistButton->font();
    buttonFont.setPixelSize(11);
    m_droplistButton->setFont(buttonFont);
    m_droplistButton->setTextVerticalPosition(36.0);
    m_droplistButton->setFocusPolicy(Qt::NoFocus);
    connect(m_droplistButton, &QAbstractButton::clicked, this, [this] { raisePanel(m_droplistButton); });

    m_availableModes = {kNormal, kSmall};
}

void KZOrbStyleToolPanelItem::awakeFromNib(QWidget* loadedView)
{
    m_normalView = loadedView;
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("group:") + m_title);
    if (loadedView) {
        m_view->setGeometry(loadedView->geometry());
        // A view that is only a holder has nothing to say to a screen reader.
        loadedView->setParent(nullptr);
    }
    m_textField->setText(m_title);
    if (!m_availableModes.isEmpty())
        switchToMode(m_availableModes.first());
}

void KZOrbStyleToolPanelItem::setTitle(const QString& title)
{
    m_title = title;
    if (m_textField) {
        m_textField->setText(title);
        // A caption, not a control: its name must not shadow the controls
        // that bear the same words (the Brushes tool, the Size field).
        m_textField->setAccessibleName(tr("%1 group").arg(title));
    }
    if (m_view)
        m_view->setObjectName(QStringLiteral("group:") + title);
    if (m_droplistButton) {
        m_droplistButton->setTitle(dropDownTitle(title));
        // Found by the group's name, whatever the arrow below it.
        m_droplistButton->setAccessibleName(title);
        m_droplistButton->setAccessibleDescription(tr("Shows the %1 group").arg(title));
    }
}

QImage KZOrbStyleToolPanelItem::image() const
{
    return m_droplistButton ? m_droplistButton->image() : QImage();
}

void KZOrbStyleToolPanelItem::setImage(const QImage& image)
{
    if (m_droplistButton)
        m_droplistButton->setImage(image);
}

void KZOrbStyleToolPanelItem::setAvailableModes(const QStringList& modes)
{
    m_availableModes = modes;
    if (!modes.isEmpty())
        switchToMode(modes.first());
}

QString KZOrbStyleToolPanelItem::smallerMode(const QString& mode) const
{
    const qsizetype index = m_availableModes.indexOf(mode);
    if (index < 0)
        return m_availableModes.value(0);
    return index + 1 < m_availableModes.size() ? m_availableModes.at(index + 1) : QString();
}

QString KZOrbStyleToolPanelItem::largerMode(const QString& mode) const
{
    const qsizetype index = m_availableModes.indexOf(mode);
    return index > 0 ? m_availableModes.at(index - 1) : QString();
}

bool KZOrbStyleToolPanelItem::shrink()
{
    return switchToMode(smallerMode(m_mode));
}

bool KZOrbStyleToolPanelItem::enlarge()
{
    return switchToMode(largerMode(m_mode));
}

bool KZOrbStyleToolPanelItem::switchToMode(const QString& mode)
{
    return switchToModeAsBase(mode);
}

bool KZOrbStyleToolPanelItem::switchToModeAsBase(const QString& mode)
{
    if (mode.isEmpty() || !m_availableModes.contains(mode) || mode == m_mode)
        return false;
    QWidget* view = nullptr;
    if (mode == kSmall)
        view = m_droplistButton;
    else if (mode == kCompact || mode == kNormal)
        view = m_normalView;
    else
        return false;
    if (!orderInView(view))
        return false;
    m_mode = mode;
    return true;
}

bool KZOrbStyleToolPanelItem::orderInView(QWidget* view)
{
    if (!view)
        view = m_currentView;
    if (!view || !m_view)
        return false;
    if (view == m_droplistButton)
        return orderInDropDownButton();
    // Leaving the pop-up: the controls come home.
    if (m_popupPanel && m_popupPanel->isVisible())
        m_popupPanel->dismisses(this);
    if (m_currentView && m_currentView != view)
        m_currentView->setParent(nullptr);
    view->setParent(nullptr);
    const int height = m_view->height();
    view->move(0, 0);
    m_view->resize(view->width(), height);
    m_contentView->setGeometry(0, 0, view->width(), std::max(0, height - kTitleHeight));
    view->setParent(m_contentView);
    view->show();
    m_contentView->show();
    m_textField->show();
    m_currentView = view;
    m_canvas->setParent(m_view);
    m_canvas->setGeometry(0, 0, m_view->width(), m_view->height());
    layOutLabel();
    m_canvas->show();
    return true;
}

void KZOrbStyleToolPanelItem::layOutLabel()
{
    const int height = m_view ? m_view->height() : 0;
    m_textField->setGeometry(0, std::max(0, height - kTitleHeight), m_view ? m_view->width() : 0, kTitleHeight);
}

bool KZOrbStyleToolPanelItem::orderInDropDownButton()
{
    if (!m_droplistButton || !m_view)
        return false;
    m_droplistButton->setTitle(dropDownTitle(m_title));
    m_droplistButton->setAccessibleName(m_title);
    m_droplistButton->sizeToFit();
    const int height = m_view->height();
    const QRect r(0, 5, m_droplistButton->width(), height - 10);
    // The controls leave the group; they live in the pop-up from now on.
    if (m_currentView && m_currentView != m_droplistButton)
        m_currentView->setParent(nullptr);
    if (m_canvas)
        m_canvas->setParent(nullptr);
    m_view->resize(r.size());
    m_droplistButton->setParent(m_view);
    m_droplistButton->setGeometry(r.adjusted(0, 3, 0, -3));
    m_droplistButton->show();
    m_currentView = m_droplistButton;
    return true;
}

void KZOrbStyleToolPanelItem::raisePanel(QObject*)
{
    if (!m_popupPanel || !m_normalView)
        return;
    if (m_normalView->parent() && m_normalView->parent() != static_cast<QObject*>(m_popupPanel->contentView()))
        return; // the controls show in the ribbon already
    m_popupPanel->raise(m_normalView, m_droplistButton);
}

void KZOrbStyleToolPanelItem::dismissesPopUp()
{
    if (m_popupPanel)
        m_popupPanel->dismisses(this);
}

void KZOrbStyleToolPanelItem::update()
{
    if (!m_normalView)
        return;
    for (QObject* child : m_normalView->children()) {
        if (auto* updatable = dynamic_cast<platform::Updatable*>(child))
            updatable->performUpdate();
    }
}

qint32 KZOrbStyleToolPanelItem::size() const
{
    return m_view ? qint32(m_view->width()) : 0;
}
