#include "KZToolboxToolbar.h"

#include "KZRibbonIcons.h"
#include "KZTexturalButton.h"
#include "KZTexturalSegmentedControl.h"
#include "KZToolboxController.h"
#include "KZValidatableButton.h"
#include "SWColorSelector.h"
#include "SWColorWell.h"
#include "SWTool.h"
#include "SWToolbox.h"

#include "platform/appkit/MenuItem.h"
#include "platform/appkit/TargetAction.h"
#include "platform/foundation/NotificationCenter.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QMenu>
#include <QSpinBox>

namespace {
const QString kChangeToEggsTool = QStringLiteral("changeToEggsTool:");
const QString kChangeToEggsShape = QStringLiteral("changeToEggsShape:");
const QString kChangeSelectionTool = QStringLiteral("changeSelectionTool:");
const QString kEggsZoom = QStringLiteral("eggsZoom:");
const QString kChangeBrushTool = QStringLiteral("changeBrushTool:");
// The shape tools' places in the registry's class list.
constexpr int kFirstShapeTag = 14;
constexpr int kLastShapeTag = 38;

// An item's label under its view. Drawn rather than a label widget: the
// control above bears the name, and a second object of that name in the
// accessibility tree would stand for it.
class ItemCaption : public QWidget {
public:
    explicit ItemCaption(const QString& text, QWidget* parent)
        : QWidget(parent)
        , m_text(text)
    {
        QFont small = font();
        small.setPixelSize(9);
        setFont(small);
        setFixedHeight(fontMetrics().height());
        setMinimumWidth(fontMetrics().horizontalAdvance(m_text));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignVCenter, m_text);
    }

private:
    QString m_text;
};
} // namespace

const QString KZToolboxToolbar::kShowFontsItemIdentifier = QStringLiteral("Fonts");
const QString KZToolboxToolbar::kPrintItemIdentifier = QStringLiteral("Print");

KZToolboxToolbar::KZToolboxToolbar(KZToolboxController* controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
{
    setObjectName(QStringLiteral("ToolboxToolbar"));
    setFixedHeight(kHeight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(10);

    platform::Responder::addAction(kChangeToEggsTool, [this](QObject* sender) {
        auto* tools = qobject_cast<KZTexturalSegmentedControl*>(sender);
        if (tools && m_controller)
            m_controller->changeToEggsTool(tools->selectedSegment());
    });
    platform::Responder::addAction(kChangeToEggsShape, [this](QObject* sender) {
        if (auto* item = qobject_cast<platform::MenuItem*>(sender); item && m_controller)
            m_controller->changeToEggsShape(item->tag());
    });
    platform::Responder::addAction(kChangeSelectionTool, [this](QObject* sender) {
        if (auto* item = qobject_cast<platform::MenuItem*>(sender); item && m_controller)
            m_controller->changeSelectionToolWithTag(item->tag());
    });
    platform::Responder::addAction(kChangeBrushTool, [this](QObject*) {
        if (m_controller)
            m_controller->changeBrushTool();
    });

    // Zoom: sent up the chain to the document.
    m_zoom = new KZTexturalSegmentedControl(QStringLiteral("tools_seg"));
    m_zoom->setObjectName(QStringLiteral("eggsZoomToolbarItemView"));
    m_zoom->setTrackingMode(platform::SegmentedCell::SelectOne);
    m_zoom->setSegmentCount(2);
    m_zoom->setLabel(tr("Zoom In"), 0);
    m_zoom->setImage(KZRibbonIcons::image(QStringLiteral("zoom_in")), 0);
    m_zoom->setLabel(tr("Zoom Out"), 1);
    m_zoom->setImage(KZRibbonIcons::image(QStringLiteral("zoom_out")), 1);
    m_zoom->setAccessibleName(tr("Zoom"));
    m_zoom->setFixedSize(64, 28);
    m_zoom->setEqualWidthForEachSegment();
    m_zoom->setAction(kEggsZoom);
    m_zoom->setFocusPolicy(Qt::NoFocus);

    // Tools: the paint tools in one row.
    const QStringList paint = controller ? controller->paintTools() : QStringList();
    m_tools = new KZTexturalSegmentedControl(QStringLiteral("tools_seg"));
    m_tools->setObjectName(QStringLiteral("eggsToolsToolbarItemView"));
    m_tools->setTrackingMode(platform::SegmentedCell::SelectOne);
    m_tools->setSegmentCount(int(paint.size()));
    for (int segment = 0; segment < paint.size(); ++segment) {
        m_tools->setLabel(paint.at(segment), segment);
        m_tools->setImage(KZRibbonIcons::image(KZRibbonIcons::toolIconName(paint.at(segment))), segment);
    }
    m_tools->setAccessibleName(tr("Toolbar Tools"));
    m_tools->setFixedSize(32 * int(paint.size()), 28);
    m_tools->setEqualWidthForEachSegment();
    m_tools->setTarget(this);
    m_tools->setAction(kChangeToEggsTool);
    m_tools->setFocusPolicy(Qt::NoFocus);

    // Shape: the line, the curve and the shapes, by their class's place.
    m_shapeMenu = new QMenu(tr("Shape"), this);
    if (controller) {
        const auto& classes = SWToolbox::toolClassList();
        for (int tag = kFirstShapeTag; tag <= kLastShapeTag && tag < int(classes.size()); ++tag) {
            if (!classes[size_t(tag)].make)
                continue;
            const QString label = classes[size_t(tag)].make(controller)->description();
            auto* entry = new platform::MenuItem(label, kChangeToEggsShape, {}, m_shapeMenu);
            entry->setTag(tag);
            entry->setTarget(this);
            const QImage icon = KZRibbonIcons::image(QStringLiteral("shape_") + label);
            const QImage image = icon.isNull() ? KZRibbonIcons::image(KZRibbonIcons::toolIconName(label)) : icon;
            if (!image.isNull())
                entry->setIcon(QIcon(QPixmap::fromImage(image)));
            m_shapeMenu->addAction(entry);
        }
    }
    m_shapeItem = new QWidget;
    m_shapeButton = popUpButton(tr("Shape"), QStringLiteral("big_shapes"), m_shapeMenu, m_shapeItem);

    // Selection: the two selection tools, by tag.
    m_selectionMenu = new QMenu(tr("Selection"), this);
    const QStringList selections = controller ? controller->selectionTools() : QStringList();
    static const QStringList selectionIcons = {QStringLiteral("sel_rectangle"), QStringLiteral("sel_free")};
    for (int tag = 0; tag < selections.size(); ++tag) {
        auto* entry = new platform::MenuItem(selections.at(tag), kChangeSelectionTool, {}, m_selectionMenu);
        entry->setTag(tag);
        entry->setTarget(this);
        entry->setIcon(QIcon(QPixmap::fromImage(KZRibbonIcons::image(selectionIcons.value(tag)))));
        m_selectionMenu->addAction(entry);
    }
    m_selectionItem = new QWidget;
    m_selectionButton = popUpButton(tr("Selection"), QStringLiteral("sel_rectangle"), m_selectionMenu, m_selectionItem);

    // Brush: the brush-engine tool (the brushes themselves are chosen in
    // the ribbon's chooser).
    m_brushItem = new QWidget;
    auto* brushLayout = new QHBoxLayout(m_brushItem);
    brushLayout->setContentsMargins(0, 0, 0, 0);
    m_brushButton = new KZTexturalButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary, m_brushItem);
    m_brushButton->setTitle(tr("Brush"));
    m_brushButton->setAccessibleName(tr("Brush Tool"));
    m_brushButton->setAccessibleDescription(tr("Paints with the brush chosen in the ribbon"));
    m_brushButton->setImage(KZRibbonIcons::image(QStringLiteral("big_brushes")));
    m_brushButton->setImagePosition(platform::ButtonCell::ImageLeft);
    m_brushButton->setCheckable(true);
    m_brushButton->setFocusPolicy(Qt::NoFocus);
    m_brushButton->setFixedSize(m_brushButton->sizeHint().width() + 8, 28);
    m_brushButton->setTarget(this);
    m_brushButton->setAction(kChangeBrushTool);
    brushLayout->addWidget(m_brushButton);

    // Color: the front and back wells; Size: the line width.
    m_colorSelector = new SWColorSelector;
    m_colorSelector->setObjectName(QStringLiteral("eggsColorSelector"));
    m_colorSelector->setFixedSize(m_colorSelector->sizeHint());
    m_size = new QSpinBox;
    m_size->setObjectName(QStringLiteral("eggsSizeToolbarItemView"));
    m_size->setAccessibleName(tr("Line Width"));
    m_size->setAccessibleDescription(tr("The line width, in pixels"));
    m_size->setRange(1, 99);
    m_size->setFocusPolicy(Qt::ClickFocus);
    connect(m_size, &QSpinBox::valueChanged, this, [this](int value) {
        if (m_controller && m_controller->lineWidth() != value)
            m_controller->setLineWidthDisplay(value);
    });

    // The window's fonts and print items go to the document.
    m_showFontsButton = windowItemButton(tr("Fonts"), QStringLiteral("toolbar_fonts"), QStringLiteral("showFontPanel:"),
                                         tr("Shows the fonts panel"));
    m_printButton = windowItemButton(tr("Print"), QStringLiteral("toolbar_print"), QStringLiteral("printDocument:"),
                                     tr("Prints the picture"));

    for (const QString& identifier : defaultItemIdentifiers()) {
        if (identifier.isEmpty())
            row->addStretch(1);
        else if (QWidget* control = viewForItemIdentifier(identifier))
            row->addWidget(item(identifier, control));
    }
    // Made, but not among the toolbar's items: kept by the toolbar so that
    // it goes with it.
    m_brushItem->setParent(this);
    m_brushItem->hide();

    if (!controller)
        return;
    // The wells follow the colours whoever set them, and announce a change
    // of their own to the controller ("SWColorSet").
    m_colorSelector->frontWell()->platform::ColorWell::setColor(controller->foregroundColor());
    m_colorSelector->backWell()->platform::ColorWell::setColor(controller->backgroundColor());
    controller->setToolbarColorSelector(m_colorSelector);
    // Quietly: the wells show the colours chosen elsewhere, so that what a
    // well announces later is never an old colour.
    controller->addObserver(this, KZToolboxController::kForegroundColor, [this](const QVariant& v) {
        m_colorSelector->frontWell()->platform::ColorWell::setColor(v.value<QColor>());
        m_colorSelector->update();
    });
    controller->addObserver(this, KZToolboxController::kBackgroundColor, [this](const QVariant& v) {
        m_colorSelector->backWell()->platform::ColorWell::setColor(v.value<QColor>());
        m_colorSelector->update();
    });
    controller->addObserver(this, KZToolboxController::kCurrentTool,
                            [this](const QVariant& v) { showCurrentTool(v.toString()); });
    controller->addObserver(this, KZToolboxController::kLineWidth, [this](const QVariant& v) {
        const QSignalBlocker block(m_size);
        m_size->setValue(int(v.toLongLong()));
    });
    {
        const QSignalBlocker block(m_size);
        m_size->setValue(int(controller->lineWidth()));
    }
    showCurrentTool(controller->currentTool());
}

KZToolboxToolbar::~KZToolboxToolbar()
{
    if (m_controller) {
        m_controller->removeObserver(this);
        if (m_controller->toolbarColorSelector() == m_colorSelector)
            m_controller->setToolbarColorSelector(nullptr);
    }
}

QStringList KZToolboxToolbar::defaultItemIdentifiers()
{
    return {QStringLiteral("Zoom"),  QStringLiteral("Tools"), QStringLiteral("Shape"), QStringLiteral("Selection"),
            QString(),               QStringLiteral("Color"), QStringLiteral("Size"),  kShowFontsItemIdentifier,
            kPrintItemIdentifier};
}

QWidget* KZToolboxToolbar::viewForItemIdentifier(const QString& identifier) const
{
    if (identifier == QLatin1String("Zoom"))
        return m_zoom;
    if (identifier == QLatin1String("Tools"))
        return m_tools;
    if (identifier == QLatin1String("Shape"))
        return m_shapeItem;
    if (identifier == QLatin1String("Selection"))
        return m_selectionItem;
    if (identifier == QLatin1String("Brush"))
        return m_brushItem;
    if (identifier == QLatin1String("Color"))
        return m_colorSelector;
    if (identifier == QLatin1String("Size"))
        return m_size;
    if (identifier == kShowFontsItemIdentifier)
        return m_showFontsButton;
    if (identifier == kPrintItemIdentifier)
        return m_printButton;
    return nullptr;
}

QWidget* KZToolboxToolbar::item(const QString& label, QWidget* control)
{
    // A toolbar item: its view with the identifier as its label below.
    auto* holder = new QWidget;
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(control, 0, Qt::AlignHCenter);
    column->addWidget(new ItemCaption(label, holder));
    m_items.insert(label, holder);
    return holder;
}

KZTexturalButton* KZToolboxToolbar::popUpButton(const QString& name, const QString& icon, QMenu* menu,
                                                QWidget* parent)
{
    auto* layout = new QHBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new KZTexturalButton(QStringLiteral("btn_color"), 1, parent);
    button->setTitle(name + QStringLiteral(" \u25BE"));
    button->setAccessibleName(name);
    button->setAccessibleDescription(tr("Shows the tools to choose from"));
    button->setImage(KZRibbonIcons::image(icon));
    button->setImagePosition(platform::ButtonCell::ImageLeft);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(button->sizeHint().width() + 8, 28);
    layout->addWidget(button);
    connect(button, &QAbstractButton::clicked, menu, [this, button, menu] {
        // The click toggled the button; it shows whether one of its tools
        // is current, whatever the menu ends in.
        showCurrentTool(m_controller ? m_controller->currentTool() : QString());
        menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
    return button;
}

KZTexturalButton* KZToolboxToolbar::windowItemButton(const QString& name, const QString& icon, const QString& action,
                                                    const QString& description)
{
    auto* button = new KZValidatableButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary);
    button->setTitle(name);
    button->setAccessibleName(name);
    button->setAccessibleDescription(description);
    button->setImage(KZRibbonIcons::image(icon));
    button->setImagePosition(platform::ButtonCell::ImageOnly);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(32, 28);
    button->setAction(action); // no target: up the chain to the document
    return button;
}

void KZToolboxToolbar::showCurrentTool(const QString& label)
{
    const QStringList paint = m_controller ? m_controller->paintTools() : QStringList();
    const int index = int(paint.indexOf(label));
    if (index >= 0)
        m_tools->setSelectedSegment(index);
    else if (m_tools->selectedSegment() >= 0)
        m_tools->setSelected(false, m_tools->selectedSegment());
    m_tools->update();
    bool shape = false;
    for (QAction* action : m_shapeMenu->actions())
        shape = shape || action->text() == label;
    const bool selection = m_controller && m_controller->selectionTools().contains(label);
    m_shapeButton->setState(shape ? 1 : 0);
    m_shapeButton->setChecked(shape);
    m_selectionButton->setState(selection ? 1 : 0);
    m_selectionButton->setChecked(selection);
    const bool brush = label == QLatin1String("Brushes");
    m_brushButton->setState(brush ? 1 : 0);
    m_brushButton->setChecked(brush);
}
