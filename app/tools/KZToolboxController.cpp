#include "KZToolboxController.h"

#include "KZColorButton.h"
#include "KZColorMatrix.h"
#include "KZColorPanel.h"
#include "KZTexturalButton.h"
#include "KZOrbStyleToolPanel.h"
#include "SWColorSelector.h"
#include "SWColorWell.h"

#include <QHash>

#include "SWTool.h"
#include "SWToolbox.h"

#include "platform/appkit/ColorPanel.h"
#include "platform/foundation/NotificationCenter.h"

const QString KZToolboxController::kCurrentTool = QStringLiteral("currentTool");
const QString KZToolboxController::kLineWidth = QStringLiteral("lineWidth");
const QString KZToolboxController::kForegroundColor = QStringLiteral("foregroundColor");
const QString KZToolboxController::kBackgroundColor = QStringLiteral("backgroundColor");
const QString KZToolboxController::kSelectedColor = QStringLiteral("selectedColor");
const QString KZToolboxController::kFillStyle = QStringLiteral("fillStyle");
const QString KZToolboxController::kSelectionTransparency = QStringLiteral("selectionTransparency");

KZToolboxController::KZToolboxController(QObject* parent)
    : QObject(parent)
{
    configDefaultValues();
    postInit();
    // A colour picked in any colour panel (the eyedropper's too).
    platform::NotificationCenter::defaultCenter().addObserver(
        this, platform::ColorPanel::colorDidChangeNotification(), nullptr,
        [this](const platform::Notification&) { colorChanged(); });
    // A colour set in a toolbar well.
    platform::NotificationCenter::defaultCenter().addObserver(
        this, SWColorWell::kColorSetNotification, nullptr, [this](const platform::Notification&) { eggsColorChanged(); });
}

KZToolboxController::~KZToolboxController()
{
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void KZToolboxController::configDefaultValues()
{
    m_lineWidth.set(2);
}

void KZToolboxController::postInit()
{
    // The crayon colours "Licorice" and "Snow" are pure black and white; this
    // platform has no crayon list, so the fall-backs are the crayons.
    m_foregroundColor.set(QColor(Qt::black));
    m_backgroundColor.set(QColor(Qt::white));
    m_fillStyle.set(StrokeBit);
    m_selectionTransparency.set(false);
    m_selectionTools = {QStringLiteral("rectangle selection"), QStringLiteral("free selection")};
    m_paintTools = {QStringLiteral("Brush"),  QStringLiteral("Eraser"),     QStringLiteral("Airbrush"),
                    QStringLiteral("Fill"),   QStringLiteral("KZText"),     QStringLiteral("Eyedropper")};
    // The first row shows its first segment ("Brush") selected when the
    // controls are made; choosing it sets the first current tool.
    m_paintSegment[0] = 0;
    changePaintTool(0, m_paintSegment[0]);
}

void KZToolboxController::setForegroundColor(const QColor& color)
{
    if (!color.isValid())
        return;
    const bool changed = color != m_foregroundColor.get();
    m_foregroundColor.set(color);
    m_panelFirstColor = color;
    if (changed && colorPanel())
        colorPanel()->setFirstColor(color);
}

void KZToolboxController::setBackgroundColor(const QColor& color)
{
    if (!color.isValid())
        return;
    const bool changed = color != m_backgroundColor.get();
    m_backgroundColor.set(color);
    m_panelSecondColor = color;
    if (changed && colorPanel())
        colorPanel()->setSecondColor(color);
}

void KZToolboxController::changeColor(const QColor& color)
{
    if (!color.isValid())
        return;
    m_panelFirstColor = color;
    m_panelSelectedColor = color;
    KZColorPanel* panel = colorPanel();
    if (!panel)
        return;
    // The colour group takes a colour picked elsewhere (the eyedropper, the
    // shared colour panel) as the shared panel's own action would reach it:
    // its active button shows it, and it joins the user swatches unless it
    // is a fixed one. The colours are read back from the group when the
    // change is announced.
    platform::ColorPanel& shared = platform::ColorPanel::shared();
    if (shared.color() != color)
        shared.setColor(color);
    panel->changeColor(this);
}

KZColorPanel* KZToolboxController::colorPanel() const
{
    return qobject_cast<KZColorPanel*>(m_colorPanel.data());
}

void KZToolboxController::setColorPanel(KZColorPanel* panel)
{
    m_colorPanel = panel;
    if (!panel)
        return;
    panel->setFirstColor(foregroundColor());
    panel->setSecondColor(backgroundColor());
}

void KZToolboxController::colorChanged()
{
    if (KZColorPanel* panel = colorPanel()) {
        m_panelFirstColor = panel->firstColor();
        m_panelSecondColor = panel->secondColor();
        m_panelSelectedColor = panel->selectedColor();
    }
    setForegroundColor(m_panelFirstColor);
    setBackgroundColor(m_panelSecondColor);
    if (m_panelSelectedColor.isValid())
        setSelectedColor(m_panelSelectedColor);
    dismissPopUpPanel();
}

SWColorSelector* KZToolboxController::toolbarColorSelector() const
{
    return qobject_cast<SWColorSelector*>(m_toolbarColorSelector.data());
}

void KZToolboxController::setToolbarColorSelector(SWColorSelector* selector)
{
    m_toolbarColorSelector = selector;
}

SWColorSelector* KZToolboxController::madeToolbarColorSelector()
{
    if (!toolbarColorSelector() && m_toolbarMaker)
        m_toolbarMaker();
    return toolbarColorSelector();
}

void KZToolboxController::eggsColorChanged()
{
    // Every window's controller hears any well: each follows its own
    // toolbar's wells, made or not yet.
    SWColorSelector* selector = madeToolbarColorSelector();
    if (!selector || !selector->frontWell() || !selector->backWell())
        return;
    setForegroundColor(selector->frontWell()->color());
    setBackgroundColor(selector->backWell()->color());
    setSelectedColor(selector->frontWell()->color());
}

void KZToolboxController::setColor(const QColor& color)
{
    if (KZColorPanel* panel = colorPanel())
        panel->setSelectedColor(color);
    if (SWColorSelector* selector = madeToolbarColorSelector(); selector && selector->frontWell())
        selector->frontWell()->setColor(color);
}

namespace {
template <typename T>
void hook(platform::ObservableProperty<T>& property, const void* owner, KZToolboxController::Observer handler)
{
    property.observe(owner, [handler = std::move(handler)](const T&, const T& value) {
        handler(QVariant::fromValue(value));
    });
}
} // namespace

void KZToolboxController::addObserver(const void* owner, const QString& keyPath, Observer handler)
{
    if (keyPath == kCurrentTool)
        hook(m_currentTool, owner, std::move(handler));
    else if (keyPath == kLineWidth)
        hook(m_lineWidth, owner, std::move(handler));
    else if (keyPath == kForegroundColor)
        hook(m_foregroundColor, owner, std::move(handler));
    else if (keyPath == kBackgroundColor)
        hook(m_backgroundColor, owner, std::move(handler));
    else if (keyPath == kSelectedColor)
        hook(m_selectedColor, owner, std::move(handler));
    else if (keyPath == kFillStyle)
        hook(m_fillStyle, owner, std::move(handler));
    else if (keyPath == kSelectionTransparency)
        hook(m_selectionTransparency, owner, std::move(handler));
}

void KZToolboxController::removeObserver(const void* owner, const QString& keyPath)
{
    if (keyPath == kCurrentTool)
        m_currentTool.removeObserver(owner);
    else if (keyPath == kLineWidth)
        m_lineWidth.removeObserver(owner);
    else if (keyPath == kForegroundColor)
        m_foregroundColor.removeObserver(owner);
    else if (keyPath == kBackgroundColor)
        m_backgroundColor.removeObserver(owner);
    else if (keyPath == kSelectedColor)
        m_selectedColor.removeObserver(owner);
    else if (keyPath == kFillStyle)
        m_fillStyle.removeObserver(owner);
    else if (keyPath == kSelectionTransparency)
        m_selectionTransparency.removeObserver(owner);
}

void KZToolboxController::removeObserver(const void* owner)
{
    for (const QString* key : {&kCurrentTool, &kLineWidth, &kForegroundColor, &kBackgroundColor, &kSelectedColor,
                               &kFillStyle, &kSelectionTransparency})
        removeObserver(owner, *key);
}

bool KZToolboxController::isObserving(const void* owner, const QString& keyPath) const
{
    if (keyPath == kCurrentTool)
        return m_currentTool.isObserving(owner);
    if (keyPath == kLineWidth)
        return m_lineWidth.isObserving(owner);
    if (keyPath == kForegroundColor)
        return m_foregroundColor.isObserving(owner);
    if (keyPath == kBackgroundColor)
        return m_backgroundColor.isObserving(owner);
    if (keyPath == kSelectedColor)
        return m_selectedColor.isObserving(owner);
    if (keyPath == kFillStyle)
        return m_fillStyle.isObserving(owner);
    if (keyPath == kSelectionTransparency)
        return m_selectionTransparency.isObserving(owner);
    return false;
}

int KZToolboxController::selectedPaintSegment(int rowTag) const
{
    return rowTag == 0 || rowTag == 1 ? m_paintSegment[rowTag] : -1;
}

void KZToolboxController::deselectAll()
{
    m_paintSegment[0] = -1;
    m_paintSegment[1] = -1;
}

void KZToolboxController::dismissPopUpPanel()
{
    if (m_toolPanel)
        m_toolPanel->dismissesPopUp();
}

void KZToolboxController::changePaintTool(int rowTag, int selectedSegment)
{
    dismissPopUpPanel();
    if ((rowTag != 0 && rowTag != 1) || selectedSegment < 0 || selectedSegment > 2)
        return;
    const int index = rowTag * 3 + selectedSegment;
    if (index >= m_paintTools.size())
        return;
    deselectAll();
    m_paintSegment[rowTag] = selectedSegment;
    setCurrentTool(m_paintTools.at(index));
}

void KZToolboxController::changeToEggsTool(int selectedSegment)
{
    if (selectedSegment < 0 || selectedSegment >= m_paintTools.size())
        return;
    deselectAll();
    setCurrentTool(m_paintTools.at(selectedSegment));
}

void KZToolboxController::changeShapeTool(const QString& selectedCellTitle)
{
    dismissPopUpPanel();
    if (selectedCellTitle.isEmpty())
        return;
    deselectAll();
    setCurrentTool(selectedCellTitle);
}

void KZToolboxController::changeToEggsShape(int tag)
{
    if (tag < 14 || tag > 38)
        return;
    const auto& classes = SWToolbox::toolClassList();
    if (tag >= int(classes.size()) || !classes[size_t(tag)].make)
        return; // that tool class has not been built into this program
    // A throw-away instance tells the label, exactly as the registry keys it.
    const QString label = classes[size_t(tag)].make(this)->description();
    if (label.isEmpty())
        return;
    deselectAll();
    setCurrentTool(label);
}

void KZToolboxController::changeBrushTool()
{
    dismissPopUpPanel();
    deselectAll();
    setCurrentTool(QStringLiteral("Brushes"));
}

void KZToolboxController::changeSelectionToolWithTag(int tag)
{
    dismissPopUpPanel();
    if (tag < 0 || tag >= m_selectionTools.size())
        return;
    const QString label = m_selectionTools.at(tag);
    if (label == currentTool())
        return;
    deselectAll();
    m_selectionListItem = tag;
    setCurrentTool(label);
}

void KZToolboxController::switchToScissors()
{
    changeSelectionToolWithTag(0);
}

void KZToolboxController::changeLineSize(int tag)
{
    dismissPopUpPanel();
    setLineWidth(tag);
}

void KZToolboxController::changeFillStyle(int tag)
{
    dismissPopUpPanel();
    setFillStyle(tag);
}

void KZToolboxController::changeFill(bool senderStateOn)
{
    dismissPopUpPanel();
    const qint32 style = fillStyle();
    setFillStyle(senderStateOn ? (style | FillBit) : (style & ~FillBit));
}

void KZToolboxController::changeStroke(bool senderStateOn)
{
    dismissPopUpPanel();
    const qint32 style = fillStyle();
    setFillStyle(senderStateOn ? (style | StrokeBit) : (style & ~StrokeBit));
}

void KZToolboxController::changeSelectionTransparency()
{
    dismissPopUpPanel();
    setSelectionTransparency(!selectionTransparency());
}

void KZToolboxController::flipColors()
{
    const QColor oldForeground = foregroundColor();
    const QColor oldBackground = backgroundColor();
    setForegroundColor(oldBackground);
    setBackgroundColor(oldForeground);
}

void KZToolboxController::updateInfo()
{
    setForegroundColor(foregroundColor());
    setBackgroundColor(backgroundColor());
    setFillStyle(fillStyle());
    setSelectionTransparency(selectionTransparency());
    changePaintTool(0, m_paintSegment[0]);
}

void KZToolboxController::update()
{
    if (m_toolPanel)
        m_toolPanel->update();
}

void KZToolboxController::chooseToolWithLabel(const QString& label)
{
    const int paintIndex = int(m_paintTools.indexOf(label));
    if (paintIndex >= 0) {
        changePaintTool(paintIndex / 3, paintIndex % 3);
        return;
    }
    if (label == QLatin1String("Brushes")) {
        changeBrushTool();
        return;
    }
    const int selectionIndex = int(m_selectionTools.indexOf(label));
    if (selectionIndex >= 0) {
        changeSelectionToolWithTag(selectionIndex);
        return;
    }
    changeShapeTool(label);
}

qint32 KZToolboxController::itemPriority(const QString& title, const QString& mode)
{
    // Narrowing shrinks Shapes, then Paste, then Image, then the same three
    // further; Tools, Colors and Size keep their controls (their smaller
    // modes are not available).
    static constexpr struct {
        const char* title;
        const char* mode;
        qint32 priority;
    } table[] = {
        {"Tools", "normal", 7},   {"Tools", "compact", 37},  {"Tools", "small", 57},
        {"Shapes", "normal", 4},  {"Shapes", "compact", 34}, {"Shapes", "small", 54},
        {"Paste", "normal", 5},   {"Paste", "compact", 35},  {"Paste", "small", 55},
        {"Colors", "normal", 8},  {"Colors", "compact", 38}, {"Colors", "small", 58},
        {"Size", "normal", 9},    {"Image", "compact", 36},  {"Image", "small", 56},
        {"Image", "normal", 6},   {"Brushes", "small", 10},
    };
    // Asked hundreds of times while the ribbon fits its groups: compared in
    // place, with no text made for a key.
    for (const auto& row : table) {
        if (title == QLatin1String(row.title) && mode == QLatin1String(row.mode))
            return row.priority;
    }
    return 0;
}
