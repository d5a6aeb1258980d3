#include "KZStandInToolPanel.h"

#include "KZToolboxController.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

KZStandInToolPanel::KZStandInToolPanel(KZToolboxController* controller, const QStringList& toolLabels,
                                       QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
{
    setObjectName(QStringLiteral("StandInToolPanel"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    column->setSpacing(kMargin);

    auto* tools = new QGridLayout;
    tools->setSpacing(0);
    tools->setContentsMargins(0, 0, 0, 0);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (qsizetype i = 0; i < toolLabels.size(); ++i) {
        const QString label = toolLabels.at(i);
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("tool:") + label);
        button->setText(label);
        button->setToolTip(label);
        // Found by its label, as a screen reader (and the end-to-end tests) look for it.
        button->setAccessibleName(label);
        button->setAccessibleDescription(tr("Chooses the %1 tool").arg(label));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(kButtonWidth, kButtonHeight);
        m_group->addButton(button);
        tools->addWidget(button, int(i / kColumns), int(i % kColumns));
        m_buttons.insert(label, button);
        connect(button, &QToolButton::clicked, this, [this, label] {
            if (m_controller)
                m_controller->chooseToolWithLabel(label);
        });
    }
    tools->setColumnStretch(kColumns, 1);
    column->addLayout(tools);

    auto* settings = new QHBoxLayout;
    settings->setSpacing(kMargin);
    auto* sizeLabel = new QLabel(tr("Size"), this);
    settings->addWidget(sizeLabel);
    m_lineWidth = new QSpinBox(this);
    m_lineWidth->setObjectName(QStringLiteral("lineWidth"));
    sizeLabel->setBuddy(m_lineWidth);
    m_lineWidth->setAccessibleName(tr("Size"));
    m_lineWidth->setAccessibleDescription(tr("The line width, in pixels"));
    m_lineWidth->setRange(1, 99);
    m_lineWidth->setFocusPolicy(Qt::ClickFocus);
    settings->addWidget(m_lineWidth);
    m_foregroundWell = new QToolButton(this);
    m_foregroundWell->setObjectName(QStringLiteral("foregroundColor"));
    m_foregroundWell->setToolTip(tr("Color 1"));
    m_foregroundWell->setAccessibleName(tr("Color 1"));
    m_foregroundWell->setAccessibleDescription(tr("The colour the left button paints with; click to choose another"));
    m_foregroundWell->setFocusPolicy(Qt::NoFocus);
    m_backgroundWell = new QToolButton(this);
    m_backgroundWell->setObjectName(QStringLiteral("backgroundColor"));
    m_backgroundWell->setToolTip(tr("Color 2"));
    m_backgroundWell->setAccessibleName(tr("Color 2"));
    m_backgroundWell->setAccessibleDescription(tr("The colour the right button paints with; click to choose another"));
    m_backgroundWell->setFocusPolicy(Qt::NoFocus);
    settings->addWidget(m_foregroundWell);
    settings->addWidget(m_backgroundWell);
    settings->addStretch(1);
    column->addLayout(settings);

    connect(m_lineWidth, &QSpinBox::valueChanged, this, [this](int value) {
        if (m_controller && m_controller->lineWidth() != value)
            m_controller->changeLineSize(value);
    });
    connect(m_foregroundWell, &QToolButton::clicked, this, [this] { chooseColor(true); });
    connect(m_backgroundWell, &QToolButton::clicked, this, [this] { chooseColor(false); });

    if (!controller)
        return;
    // The controls show what the controller holds, whoever changed it.
    controller->addObserver(this, KZToolboxController::kCurrentTool,
                            [this](const QVariant& v) { showCurrentTool(v.toString()); });
    controller->addObserver(this, KZToolboxController::kLineWidth, [this](const QVariant& v) {
        const QSignalBlocker block(m_lineWidth);
        m_lineWidth->setValue(int(v.toLongLong()));
    });
    controller->addObserver(this, KZToolboxController::kForegroundColor,
                            [this](const QVariant& v) { paintWell(m_foregroundWell, v.value<QColor>()); });
    controller->addObserver(this, KZToolboxController::kBackgroundColor,
                            [this](const QVariant& v) { paintWell(m_backgroundWell, v.value<QColor>()); });
    showCurrentTool(controller->currentTool());
    {
        const QSignalBlocker block(m_lineWidth);
        m_lineWidth->setValue(int(controller->lineWidth()));
    }
    paintWell(m_foregroundWell, controller->foregroundColor());
    paintWell(m_backgroundWell, controller->backgroundColor());
}

KZStandInToolPanel::~KZStandInToolPanel()
{
    if (m_controller)
        m_controller->removeObserver(this);
}

void KZStandInToolPanel::showCurrentTool(const QString& label)
{
    if (QToolButton* button = m_buttons.value(label)) {
        button->setChecked(true);
        return;
    }
    // A tool without a button here: none shows as chosen.
    if (QAbstractButton* checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

void KZStandInToolPanel::paintWell(QToolButton* well, const QColor& color)
{
    QPixmap swatch(16, 16);
    swatch.fill(color.isValid() ? color : QColor(Qt::transparent));
    well->setIcon(QIcon(swatch));
}

void KZStandInToolPanel::chooseColor(bool foreground)
{
    if (!m_controller)
        return;
    const QColor current = foreground ? m_controller->foregroundColor() : m_controller->backgroundColor();
    const QColor chosen = QColorDialog::getColor(current, this, QString(), QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid() || !m_controller)
        return;
    if (foreground)
        m_controller->setForegroundColor(chosen);
    else
        m_controller->setBackgroundColor(chosen);
}
