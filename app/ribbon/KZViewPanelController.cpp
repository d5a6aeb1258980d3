#include "KZViewPanelController.h"

#include "KZOrbStyleToolPanelItem.h"
#include "KZRibbonIcons.h"
#include "KZThinButton.h"
#include "KZThinButtonCell.h"

#include "platform/appkit/TargetAction.h"

#include <QCheckBox>
#include <QEvent>
#include <QHash>
#include <QWidget>

namespace {
constexpr int kGroupHeight = 84;
constexpr int kControlsHeight = kGroupHeight - KZOrbStyleToolPanelItem::kTitleHeight;

KZThinButton* zoomButton(QWidget* parent, const QString& title, const QString& icon, const QString& action,
                         const QString& description, int x)
{
    auto* button = new KZThinButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary, parent);
    button->setTitle(title);
    button->setImage(KZRibbonIcons::image(icon));
    button->setImagePosition(platform::ButtonCell::ImageAbove);
    button->setAction(action);
    button->setAccessibleDescription(description);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(x, 2, 64, 64);
    return button;
}
} // namespace

KZViewPanelController::KZViewPanelController(QObject* parent)
    : QObject(parent)
{
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("ViewPanel"));
    m_view->setFixedHeight(kGroupHeight);

    auto* scaleControls = new QWidget;
    scaleControls->setGeometry(0, 0, 208, kControlsHeight);
    m_zoomInButton = zoomButton(scaleControls, tr("Zoom In"), QStringLiteral("zoom_in"), QStringLiteral("zoomIn:"),
                                tr("Shows the picture larger"), 4);
    m_zoomOutButton = zoomButton(scaleControls, tr("Zoom Out"), QStringLiteral("zoom_out"),
                                 QStringLiteral("zoomOut:"), tr("Shows the picture smaller"), 72);
    m_actualSizeButton = zoomButton(scaleControls, tr("Actual Size"), QStringLiteral("actual_size"),
                                    QStringLiteral("actualSize:"), tr("Shows the picture at 100%"), 140);
    m_scaleItem = new KZOrbStyleToolPanelItem(this);
    m_scaleItem->setTitle(QStringLiteral("Scale"));
    m_scaleItem->awakeFromNib(scaleControls);

    auto* showControls = new QWidget;
    showControls->setGeometry(0, 0, 120, kControlsHeight);
    m_showGridCheckBox = new QCheckBox(tr("Show Grid"), showControls);
    m_showGridCheckBox->setAccessibleDescription(tr("Shows or hides the grid over the picture"));
    m_showGridCheckBox->setGeometry(8, 8, 108, 22);
    m_showToolbarCheckBox = new QCheckBox(tr("Show Toolbar"), showControls);
    m_showToolbarCheckBox->setAccessibleDescription(tr("Shows or hides the window toolbar"));
    m_showToolbarCheckBox->setGeometry(8, 34, 108, 22);
    // The boxes send the document's actions; the document sets their states.
    const QList<std::pair<QCheckBox*, QString>> boxes = {
        {m_showGridCheckBox, QStringLiteral("toggleGridShown:")},
        {m_showToolbarCheckBox, QStringLiteral("toggleToolbarShownAndValidate:")}};
    for (const auto& [box, action] : boxes) {
        box->setFocusPolicy(Qt::NoFocus);
        QPalette white = box->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        box->setPalette(white);
        connect(box, &QCheckBox::clicked, this,
                [box, action] { platform::TargetAction::sendAction(action, nullptr, box, box); });
    }
    m_showItem = new KZOrbStyleToolPanelItem(this);
    m_showItem->setTitle(QStringLiteral("Show"));
    m_showItem->awakeFromNib(showControls);

    for (KZOrbStyleToolPanelItem* item : {m_scaleItem, m_showItem}) {
        if (item->view())
            item->view()->resize(item->view()->width(), kGroupHeight);
        item->orderInView(nullptr);
    }
    awakeFromNib();
}

KZViewPanelController::~KZViewPanelController()
{
    if (m_view)
        m_view->removeEventFilter(this);
    m_panel.setDelegate(nullptr);
    delete m_scaleItem;
    delete m_showItem;
    if (m_view && !m_view->parent())
        delete m_view;
}

void KZViewPanelController::awakeFromNib()
{
    m_view->installEventFilter(this);
    for (KZThinButton* button : {m_zoomInButton, m_zoomOutButton, m_actualSizeButton}) {
        button->setTextVerticalPosition(36.0);
        button->setImageVerticalPosition(7.0);
    }
    m_scaleItem->setAvailableModes({KZOrbStyleToolPanelItem::kNormal, KZOrbStyleToolPanelItem::kSmall});
    m_scaleItem->setImage(KZRibbonIcons::image(QStringLiteral("big_colors")));
    m_showItem->setAvailableModes({KZOrbStyleToolPanelItem::kNormal});
    m_showItem->setImage(KZRibbonIcons::image(QStringLiteral("big_advanced")));
    m_panel.setDelegate(this);
    m_panel.sizeToFit();
}

bool KZViewPanelController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::Resize)
        didChangedFrame();
    return QObject::eventFilter(watched, event);
}

void KZViewPanelController::didChangedFrame()
{
    m_panel.sizeToFit();
}

void KZViewPanelController::update()
{
    m_panel.update();
}

void KZViewPanelController::dismissPopUpPanel()
{
    m_panel.dismissesPopUp();
}

QList<KZOrbStyleToolPanelItem*> KZViewPanelController::allItems() const
{
    return {m_scaleItem, m_showItem};
}

qint32 KZViewPanelController::itemPriority(KZOrbStyleToolPanelItem* item) const
{
    return item ? itemPriority(item->title(), item->mode()) : 0;
}

qint32 KZViewPanelController::itemPriority(const QString& title, const QString& mode)
{
    static const QHash<QString, qint32> table = {
        {QStringLiteral("Scale.normal"), 3},
        {QStringLiteral("Show.normal"), 4},
        {QStringLiteral("Scale.small"), 5},
    };
    return table.value(QStringLiteral("%1.%2").arg(title, mode), 0);
}
