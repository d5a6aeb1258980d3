#include "KZToolboxPanel.h"

#include "KZColorButton.h"
#include "KZColorMatrix.h"
#include "KZColorPanel.h"
#include "KZTexturalButton.h"
#include "KZDabBrushListButton.h"
#include "KZDabBrushListView.h"
#include "KZMenu.h"
#include "KZMenuItem.h"
#include "KZOrbStyleToolPanelItem.h"
#include "KZPopupButtonAdv.h"
#include "KZRibbonIcons.h"
#include "KZShapeKinds.h"
#include "KZShapePanelItem.h"
#include "KZTexturalButton.h"
#include "KZTexturalSegmentedControl.h"
#include "KZThinButton.h"
#include "KZToolboxController.h"
#include "KZValidatableButton.h"
#include "SWMatrix.h"

#include "platform/appkit/TargetAction.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

namespace {
const QString kChangePaintTool = QStringLiteral("changePaintTool:");
const QString kChangeShapeTool = QStringLiteral("changeShapeTool:");
const QString kChangeBrushTool = QStringLiteral("changeBrushTool:");
const QString kChangeSelectionTool = QStringLiteral("changeSelectionTool:");
const QString kBrushes = QStringLiteral("Brushes");
constexpr int kControlsHeight = KZToolboxPanel::kGroupHeight - KZOrbStyleToolPanelItem::kTitleHeight;

QWidget* controlsView(int width)
{
    auto* view = new QWidget;
    view->setGeometry(0, 0, width, kControlsHeight);
    return view;
}

// A ribbon button that sends its action up the responder chain to the
// document (paste, crop...).
KZTexturalButton* commandButton(KZTexturalButton* button, const QString& title, const QString& icon,
                                const QString& action, const QString& description)
{
    button->setTitle(title);
    button->setImage(KZRibbonIcons::image(icon));
    button->setAction(action);
    button->setAccessibleDescription(description);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

KZToolboxPanel::KZToolboxPanel(KZToolboxController* controller, const QStringList& registryLabels,
                               KZDabBrushListView* brushList, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_brushList(brushList)
{
    setObjectName(QStringLiteral("ToolboxPanel"));
    setFixedHeight(kGroupHeight);
    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(0);
    connect(&m_fitTimer, &QTimer::timeout, this, [this] { m_toolPanel.sizeToFit(); });

    platform::Responder::addAction(kChangePaintTool, [this](QObject* sender) {
        auto* row = qobject_cast<KZTexturalSegmentedControl*>(sender);
        if (row && m_controller && row->selectedSegment() >= 0)
            m_controller->changePaintTool(row->tag(), row->selectedSegment());
    });
    platform::Responder::addAction(kChangeShapeTool, [this](QObject* sender) {
        if (auto* matrix = qobject_cast<SWMatrix*>(sender))
            chooseCell(matrix);
    });
    platform::Responder::addAction(kChangeSelectionTool, [this](QObject* sender) {
        auto* item = qobject_cast<platform::MenuItem*>(sender);
        if (item && m_controller)
            m_controller->changeSelectionTool(item->tag());
    });
    platform::Responder::addAction(kChangeBrushTool, [this](QObject*) {
        if (m_controller)
            m_controller->changeBrushTool();
    });

    m_paste = makeGroup(new KZOrbStyleToolPanelItem, QStringLiteral("Paste"), buildPaste(), QStringLiteral("big_paste"));
    m_image = makeGroup(new KZOrbStyleToolPanelItem, QStringLiteral("Image"), buildImage(registryLabels),
                        QStringLiteral("big_image"));
    m_tools = makeGroup(new KZOrbStyleToolPanelItem, QStringLiteral("Tools"), buildTools(registryLabels),
                        QStringLiteral("big_tools"));
    m_brushes = makeGroup(new KZOrbStyleToolPanelItem, kBrushes, buildBrushes(brushList), QStringLiteral("big_brushes"));
    m_shapes = new KZShapePanelItem;
    makeGroup(m_shapes, QStringLiteral("Shapes"), buildShapes(registryLabels), QStringLiteral("big_shapes"));
    m_size = makeGroup(new KZOrbStyleToolPanelItem, QStringLiteral("Size"), buildSize(), QStringLiteral("big_size"));
    m_colors = makeGroup(new KZOrbStyleToolPanelItem, QStringLiteral("Colors"), buildColors(),
                         QStringLiteral("big_colors"));
    // These keep their controls at any width.
    for (KZOrbStyleToolPanelItem* item : {m_tools, m_size, m_colors, m_brushes})
        item->setAvailableModes({KZOrbStyleToolPanelItem::kNormal});

    m_toolPanel.setDelegate(this);
    // Fitted to no width at all, the groups take their narrowest
    // arrangement, which the window must leave room for.
    resize(0, kGroupHeight);
    m_toolPanel.sizeToFit();
    for (KZOrbStyleToolPanelItem* item : allItems()) {
        m_smallestWidth += item->size();
        if (item->mode() != KZOrbStyleToolPanelItem::kSmall)
            m_smallestWidth += KZOrbStyleToolPanel::kSeparatorWidth;
    }
    // At a width of one point the groups stay as narrow as that: they are
    // already laid out for it, and are fitted again as the panel gets its
    // real width.
    resize(qMax(width(), 1), kGroupHeight);
    m_toolPanel.setLastSize(width());

    if (!controller)
        return;
    controller->setView(this);
    controller->setToolPanel(&m_toolPanel);
    controller->addObserver(this, KZToolboxController::kCurrentTool,
                            [this](const QVariant& v) { showCurrentTool(v.toString()); });
    controller->addObserver(this, KZToolboxController::kLineWidth, [this](const QVariant& v) {
        const QSignalBlocker block(m_lineWidth);
        m_lineWidth->setValue(int(v.toLongLong()));
    });
    controller->addObserver(this, KZToolboxController::kFillStyle, [this](const QVariant& v) {
        const QSignalBlocker blockFill(m_fill);
        const QSignalBlocker blockStroke(m_stroke);
        m_fill->setChecked(v.toInt() & KZToolboxController::FillBit);
        m_stroke->setChecked(v.toInt() & KZToolboxController::StrokeBit);
    });
    controller->setColorPanel(m_colorPanel);
    showCurrentTool(controller->currentTool());
    {
        const QSignalBlocker block(m_lineWidth);
        m_lineWidth->setValue(int(controller->lineWidth()));
        const QSignalBlocker blockFill(m_fill);
        const QSignalBlocker blockStroke(m_stroke);
        m_fill->setChecked(controller->fillStyle() & KZToolboxController::FillBit);
        m_stroke->setChecked(controller->fillStyle() & KZToolboxController::StrokeBit);
    }
}

KZToolboxPanel::~KZToolboxPanel()
{
    m_fitTimer.stop();
    if (m_brushList)
        m_brushList->selectedItemProperty().removeObserver(this);
    if (m_controller) {
        m_controller->removeObserver(this);
        if (m_controller->toolPanel() == &m_toolPanel)
            m_controller->setToolPanel(nullptr);
        if (m_controller->colorPanel() == m_colorPanel)
            m_controller->setColorPanel(nullptr);
    }
    m_toolPanel.setDelegate(nullptr);
    // The groups go before the views they lent to this one.
    for (KZOrbStyleToolPanelItem* item : allItems())
        delete item;
}

QList<KZOrbStyleToolPanelItem*> KZToolboxPanel::allItems() const
{
    return {m_paste, m_image, m_tools, m_brushes, m_shapes, m_size, m_colors};
}

qint32 KZToolboxPanel::itemPriority(KZOrbStyleToolPanelItem* item) const
{
    return item ? KZToolboxController::itemPriority(item->title(), item->mode()) : 0;
}

int KZToolboxPanel::preferredWidth() const
{
    int width = 0;
    for (KZOrbStyleToolPanelItem* item : allItems()) {
        if (item && item->normalView())
            width += (item == m_shapes ? m_shapes->normalSize().width() : item->normalView()->width())
                     + KZOrbStyleToolPanel::kSeparatorWidth;
    }
    return width;
}

void KZToolboxPanel::sizeToFitSoon()
{
    m_fitTimer.start();
}

void KZToolboxPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    sizeToFitSoon();
}

KZOrbStyleToolPanelItem* KZToolboxPanel::makeGroup(KZOrbStyleToolPanelItem* item, const QString& title,
                                                   QWidget* controls, const QString& icon)
{
    item->setTitle(title);
    controls->setObjectName(QStringLiteral("controls:") + title);
    controls->resize(controls->width(), kControlsHeight);
    item->awakeFromNib(controls);
    if (item->view())
        item->view()->resize(item->view()->width(), kGroupHeight);
    item->orderInView(nullptr);
    item->setImage(KZRibbonIcons::image(icon));
    return item;
}

QWidget* KZToolboxPanel::buildPaste()
{
    QWidget* view = controlsView(112);
    auto* paste = new KZThinButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary, view);
    commandButton(paste, tr("Paste"), QStringLiteral("paste"), QStringLiteral("paste:"),
                  tr("Pastes the picture on the clipboard"));
    paste->setImagePosition(platform::ButtonCell::ImageAbove);
    paste->setTextVerticalPosition(46.0);
    paste->setImageVerticalPosition(4.0);
    paste->setGeometry(4, 2, 48, 64);
    auto* cut = new KZValidatableButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary, view);
    commandButton(cut, tr("Cut"), QStringLiteral("cut"), QStringLiteral("cut:"), tr("Cuts the selection"));
    cut->setImagePosition(platform::ButtonCell::ImageLeft);
    cut->setGeometry(56, 6, 52, 26);
    auto* copy = new KZValidatableButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary, view);
    commandButton(copy, tr("Copy"), QStringLiteral("copy"), QStringLiteral("copy:"), tr("Copies the selection"));
    copy->setImagePosition(platform::ButtonCell::ImageLeft);
    copy->setGeometry(56, 36, 52, 26);
    return view;
}

SWMatrix* KZToolboxPanel::makeCellMatrix(const QStringList& labels, int rows, const QString& iconPrefix,
                                         QWidget* parent)
{
    const int columns = std::max<int>(1, int((labels.size() + rows - 1) / rows));
    int next = 0;
    auto* matrix = new SWMatrix(
        platform::Matrix::RadioMode,
        [&next, &labels, &iconPrefix] {
            auto cell = std::make_unique<KZTexturalButtonCell>();
            const QString label = labels.value(next++);
            cell->setIdentifier(QStringLiteral("btn_color"));
            cell->constructWithCustomControlType(KZTexturalButtonCell::OnOff);
            cell->setTitle(label);
            cell->setImagePosition(platform::ButtonCell::ImageOnly);
            if (!label.isEmpty()) {
                const QString name = iconPrefix.isEmpty() ? KZRibbonIcons::toolIconName(label) : iconPrefix + label;
                cell->setImage(KZRibbonIcons::image(name));
            }
            cell->setEnabled(!label.isEmpty());
            return cell;
        },
        rows, columns, parent);
    matrix->setAllowsEmptySelection(true);
    matrix->setCellSize(QSizeF(kCellSide, kCellSide));
    matrix->setIntercellSpacing(QSizeF(1, 1));
    matrix->setTarget(this);
    matrix->setAction(kChangeShapeTool);
    matrix->setFocusPolicy(Qt::NoFocus);
    matrix->resize(matrix->sizeHint());
    for (const QString& label : labels) {
        if (!label.isEmpty())
            m_reachable << label;
    }
    return matrix;
}

QWidget* KZToolboxPanel::buildImage(const QStringList& registryLabels)
{
    QWidget* view = controlsView(108);
    m_selectionListButton = new KZPopupButtonAdv(QStringLiteral("selection_popupbutton_adv"), view);
    m_selectionListButton->setObjectName(QStringLiteral("selectionListButton"));
    m_selectionListButton->setGeometry(4, 2, 52, 64);
    m_selectionActionPart =
        new KZTexturalButton(QStringLiteral("btn_brush"), KZTexturalButtonCell::OnOff, m_selectionListButton);
    m_selectionActionPart->setImagePosition(platform::ButtonCell::ImageOnly);
    m_selectionActionPart->setAccessibleDescription(tr("Selects part of the picture with the tool it shows"));
    m_selectionActionPart->setCheckable(true);
    m_selectionActionPart->setFocusPolicy(Qt::NoFocus);
    m_selectionActionPart->setGeometry(0, 0, 52, 46);
    auto* dropPart = new KZTexturalButton(QStringLiteral("btn_color_adv"), KZTexturalButtonCell::Momentary,
                                          m_selectionListButton);
    dropPart->setTitle(QStringLiteral("\u25BE"));
    dropPart->setAccessibleName(tr("Choose Selection Tool"));
    dropPart->setAccessibleDescription(tr("Shows the selection tools"));
    dropPart->setFocusPolicy(Qt::NoFocus);
    dropPart->setGeometry(0, 47, 52, 17);
    m_selectionListButton->setActionButton(m_selectionActionPart);
    m_selectionListButton->setPopupButton(dropPart);

    // The vector selection tools, by tag; a menu item sends its action when
    // the button passes its state on, a choice in the menu only marks it.
    QList<QAction*> items;
    const QStringList tools = m_controller ? m_controller->selectionTools() : QStringList();
    static const QStringList icons = {QStringLiteral("sel_rectangle"), QStringLiteral("sel_free")};
    const QStringList descriptions = {tr("Selects a rectangle of the picture"),
                                      tr("Selects the part of the picture inside a loop you draw")};
    for (int tag = 0; tag < tools.size(); ++tag) {
        if (!registryLabels.contains(tools.at(tag)))
            continue;
        auto* item = new KZMenuItem(tools.at(tag), kChangeSelectionTool);
        item->setTag(tag);
        item->setImage(KZRibbonIcons::image(icons.value(tag)));
        item->setStatusTip(descriptions.value(tag));
        item->setToolTip(descriptions.value(tag));
        item->setTarget(this);
        items << item;
        m_reachable << tools.at(tag);
    }
    m_selectionMenu = new KZMenu(tr("Selection"), items, m_selectionListButton);
    for (QAction* item : items)
        item->setParent(m_selectionMenu);
    // The action part bears the name of the tool it chooses.
    auto showName = [this] {
        auto* item = dynamic_cast<KZMenuItem*>(m_selectionMenu->selectedItem());
        m_selectionActionPart->setTitle(item ? item->text() : QString());
    };
    connect(m_selectionMenu, &KZMenu::selectedItemChanged, m_selectionActionPart, showName);
    showName();
    m_selectionListButton->setContainer(m_selectionMenu);
    m_selectionListButton->awakeFromNib();

    auto* crop = new KZThinButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary, view);
    commandButton(crop, tr("Crop"), QStringLiteral("big_image"), QStringLiteral("crop:"),
                  tr("Crops the picture to the selection"));
    crop->setImagePosition(platform::ButtonCell::ImageAbove);
    crop->setTextVerticalPosition(46.0);
    crop->setImageVerticalPosition(4.0);
    crop->setGeometry(60, 2, 44, 64);
    return view;
}

QStringList KZToolboxPanel::rasterSelectionToolLabels()
{
    // SWSelectionTool and KZArbitrarySelectionTool.
    return {QStringLiteral("Rectangle Selection"), QStringLiteral("Arbitrary Selection")};
}

QWidget* KZToolboxPanel::buildTools(const QStringList& registryLabels)
{
    QWidget* view = controlsView(136);
    const QStringList paint = m_controller ? m_controller->paintTools() : QStringList();
    for (int rowTag = 0; rowTag < 2; ++rowTag) {
        auto* row = new KZTexturalSegmentedControl(QStringLiteral("tools_seg"), view);
        row->setObjectName(QStringLiteral("toolsSegments%1").arg(rowTag));
        row->setTag(rowTag);
        row->setTrackingMode(platform::SegmentedCell::SelectOne);
        row->setSegmentCount(3);
        for (int segment = 0; segment < 3; ++segment) {
            const QString label = paint.value(rowTag * 3 + segment);
            row->setLabel(label, segment);
            row->setImage(KZRibbonIcons::image(KZRibbonIcons::toolIconName(label)), segment);
            if (!label.isEmpty())
                m_reachable << label;
        }
        row->setAccessibleName(tr("Paint Tools %1").arg(rowTag + 1));
        row->setGeometry(6, 4 + rowTag * 32, 96, 28);
        row->setEqualWidthForEachSegment();
        row->setTarget(this);
        row->setAction(kChangePaintTool);
        row->setFocusPolicy(Qt::NoFocus);
        (rowTag == 0 ? m_row0 : m_row1) = row;
    }
    // The tools that have no place of their own (the bomb, the zoom, and
    // whatever the registry may add) get a cell beside the rows. The
    // pixel-grid selections stay in the registry but get no control: the
    // Image group's selections do that job, and they are the ones the
    // editing commands work on.
    QStringList notHere = paint + KZShapeKinds::labels();
    notHere << kBrushes << QStringLiteral("Line") << QStringLiteral("Curve") << QStringLiteral("Ellipse");
    notHere << rasterSelectionToolLabels();
    if (m_controller)
        notHere << m_controller->selectionTools();
    QStringList others;
    for (const QString& label : registryLabels) {
        if (!notHere.contains(label))
            others << label;
    }
    m_toolMatrix = makeCellMatrix(others, 2, QString(), view);
    m_toolMatrix->setAccessibleName(tr("More Tools"));
    m_toolMatrix->move(108, 6);
    view->resize(m_toolMatrix->geometry().right() + 7, view->height());
    return view;
}

QWidget* KZToolboxPanel::buildBrushes(KZDabBrushListView* brushList)
{
    QWidget* view = controlsView(68);
    m_brushListButton = new KZPopupButtonAdv(QStringLiteral("brushes_popupbutton_adv"), view);
    m_brushListButton->setObjectName(QStringLiteral("brushListButton"));
    m_brushListButton->setGeometry(4, 2, 60, 64);
    m_brushActionPart = new KZTexturalButton(QStringLiteral("btn_brush"), KZTexturalButtonCell::OnOff, m_brushListButton);
    m_brushActionPart->setTitle(kBrushes);
    m_brushActionPart->setAccessibleDescription(tr("Paints with the brush chosen below"));
    m_brushActionPart->setImagePosition(platform::ButtonCell::ImageOnly);
    // Shows as chosen while the brush tool is the current tool.
    m_brushActionPart->setCheckable(true);
    m_brushActionPart->setFocusPolicy(Qt::NoFocus);
    m_brushActionPart->setGeometry(0, 0, 60, 46);
    auto* dropPart = new KZTexturalButton(QStringLiteral("btn_color_adv"), KZTexturalButtonCell::Momentary,
                                          m_brushListButton);
    dropPart->setTitle(QStringLiteral("\u25BE"));
    dropPart->setAccessibleName(tr("Choose Brush"));
    dropPart->setAccessibleDescription(tr("Shows the brush chooser"));
    dropPart->setFocusPolicy(Qt::NoFocus);
    dropPart->setGeometry(0, 47, 60, 17);
    m_brushListButton->setActionButton(m_brushActionPart);
    m_brushListButton->setPopupButton(dropPart);
    if (brushList) {
        // Lives in the pop-up from the first time it is raised; until then
        // it waits, hidden, with the button.
        brushList->hide();
        brushList->setParent(m_brushListButton);
        brushList->hide();
        m_brushListButton->setContainer(brushList);
        // A brush chosen in code (the first one, when the document starts)
        // is not announced as a choice, which would choose the brush tool
        // too; the button shows it all the same.
        brushList->selectedItemProperty().observe(this, [this](KZDabBrushListButton*, KZDabBrushListButton* item) {
            if (!m_brushListButton || !item || m_brushListButton->selectedItem() == item)
                return;
            m_brushListButton->setSelectedItem(item);
            m_brushListButton->setImage(item->image());
        });
    }
    m_brushListButton->setClickTarget(this);
    m_brushListButton->setClickSelector(kChangeBrushTool);
    m_brushListButton->awakeFromNib();
    m_reachable << kBrushes;
    return view;
}

QWidget* KZToolboxPanel::buildShapes(const QStringList& registryLabels)
{
    QStringList labels;
    for (const QString& label : {QStringLiteral("Line"), QStringLiteral("Curve"), QStringLiteral("Ellipse")}) {
        if (registryLabels.contains(label))
            labels << label;
    }
    const QStringList kinds = KZShapeKinds::labels();
    for (const QString& label : kinds) {
        if (registryLabels.contains(label))
            labels << label;
    }
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(false);
    scroll->viewport()->setAutoFillBackground(false);
    // Shapes draw from their own outlines; the other cells from the tool icons.
    QStringList iconNames;
    m_shapeMatrix = makeCellMatrix(labels, kShapeRows, QString(), nullptr);
    int index = 0;
    for (platform::ButtonCell* cell : m_shapeMatrix->cells()) {
        const QString label = labels.value(index++);
        if (kinds.contains(label))
            cell->setImage(KZRibbonIcons::image(QStringLiteral("shape_") + label));
    }
    m_shapeMatrix->setAccessibleName(tr("Shape Tools"));
    m_shapeMatrix->setAccessibleDescription(tr("Draws a shape"));
    scroll->setWidget(m_shapeMatrix);
    const int width = m_shapeMatrix->width() + 4 + scroll->verticalScrollBar()->sizeHint().width();
    QWidget* view = controlsView(width + 8);
    scroll->setParent(view);
    scroll->setGeometry(4, 4, width, kControlsHeight - 6);
    m_shapes->setShapeMatrix(m_shapeMatrix);
    m_shapes->setScrollView(scroll);
    return view;
}

QWidget* KZToolboxPanel::buildSize()
{
    QWidget* view = controlsView(92);
    m_lineWidth = new QSpinBox(view);
    m_lineWidth->setObjectName(QStringLiteral("lineWidth"));
    m_lineWidth->setAccessibleName(tr("Size"));
    m_lineWidth->setAccessibleDescription(tr("The line width, in pixels"));
    m_lineWidth->setRange(1, 99);
    m_lineWidth->setFocusPolicy(Qt::ClickFocus);
    m_lineWidth->setGeometry(8, 4, 76, 24);
    connect(m_lineWidth, &QSpinBox::valueChanged, this, [this](int value) {
        if (m_controller && m_controller->lineWidth() != value)
            m_controller->changeLineSize(value);
    });
    m_fill = new QCheckBox(tr("Filled"), view);
    m_fill->setAccessibleDescription(tr("Shapes are filled with the back colour"));
    m_fill->setFocusPolicy(Qt::NoFocus);
    m_fill->setGeometry(8, 30, 80, 18);
    connect(m_fill, &QCheckBox::toggled, this, [this](bool on) {
        if (m_controller)
            m_controller->changeFill(on);
    });
    m_stroke = new QCheckBox(tr("Outlined"), view);
    m_stroke->setAccessibleDescription(tr("Shapes are outlined with the front colour"));
    m_stroke->setFocusPolicy(Qt::NoFocus);
    m_stroke->setGeometry(8, 48, 80, 18);
    connect(m_stroke, &QCheckBox::toggled, this, [this](bool on) {
        if (m_controller)
            m_controller->changeStroke(on);
    });
    for (QCheckBox* box : {m_fill, m_stroke}) {
        QPalette white = box->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        box->setPalette(white);
    }
    return view;
}

QWidget* KZToolboxPanel::buildColors()
{
    m_colorPanel = new KZColorPanel;
    const QSize size = m_colorPanel->sizeHint();
    QWidget* view = controlsView(size.width() + 8);
    m_colorPanel->setParent(view);
    m_colorPanel->setGeometry(4, std::max(0, (kControlsHeight - size.height()) / 2), size.width(),
                              std::min(size.height(), kControlsHeight));
    return view;
}

void KZToolboxPanel::chooseCell(SWMatrix* matrix)
{
    platform::ButtonCell* cell = matrix ? matrix->selectedCell() : nullptr;
    if (!cell || !m_controller)
        return;
    const QString title = cell->title();
    m_controller->changeShapeTool(title);
}

void KZToolboxPanel::showCurrentTool(const QString& label)
{
    const QStringList paint = m_controller ? m_controller->paintTools() : QStringList();
    const int paintIndex = int(paint.indexOf(label));
    for (int rowTag = 0; rowTag < 2; ++rowTag) {
        KZTexturalSegmentedControl* row = toolsSegments(rowTag);
        if (!row)
            continue;
        if (paintIndex >= 0 && paintIndex / 3 == rowTag) {
            row->setSelectedSegment(paintIndex % 3);
        } else if (row->selectedSegment() >= 0) {
            row->setSelected(false, row->selectedSegment());
        }
        row->update();
    }
    for (SWMatrix* matrix : {m_toolMatrix, m_shapeMatrix}) {
        if (!matrix)
            continue;
        bool found = false;
        for (int r = 0; r < matrix->numberOfRows() && !found; ++r) {
            for (int c = 0; c < matrix->numberOfColumns() && !found; ++c) {
                platform::ButtonCell* cell = matrix->cellAt(r, c);
                if (cell && !label.isEmpty() && cell->title() == label) {
                    matrix->selectCell(r, c);
                    found = true;
                }
            }
        }
        if (!found) {
            matrix->deselectAllCells();
            for (platform::ButtonCell* cell : matrix->cells())
                cell->setState(platform::ButtonCell::Off);
            matrix->update();
        }
    }
    if (m_selectionListButton && m_controller) {
        // The button shows the chosen selection tool and is on while it is
        // current; the item's own choice coming back changes nothing.
        const int tag = int(m_controller->selectionTools().indexOf(label));
        if (tag >= 0)
            m_selectionListButton->selectItemAtIndex(tag);
        m_selectionListButton->setState(tag >= 0 ? 1 : 0);
        // Only the current tool's item is marked in the menu.
        for (QAction* action : m_selectionMenu->actions()) {
            if (auto* item = qobject_cast<KZMenuItem*>(action))
                item->setActive(tag >= 0 && item == m_selectionMenu->selectedItem());
        }
        m_selectionActionPart->setChecked(tag >= 0);
    }
    if (m_brushActionPart) {
        const bool brushes = label == kBrushes;
        m_brushActionPart->setChecked(brushes);
        m_brushListButton->setState(brushes ? 1 : 0);
    }
}

