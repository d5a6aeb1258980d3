#include "SWToolbox.h"

#include "DabBrushTool.h"
#include "KZArbitrarySelectionTool.h"
#include "KZFreeSelectionTool.h"
#include "KZRectangleSelectionTool.h"
#include "KZShapeTool.h"
#include "KZTextTool.h"
#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWPaintView.h"
#include "SWAirbrushTool.h"
#include "SWBombTool.h"
#include "SWBrushTool.h"
#include "SWCurveTool.h"
#include "SWEllipseTool.h"
#include "SWEraserTool.h"
#include "SWEyeDropperTool.h"
#include "SWFillTool.h"
#include "SWLineTool.h"
#include "SWSelectionTool.h"
#include "SWTool.h"
#include "SWZoomTool.h"

#include "platform/foundation/NotificationCenter.h"

const QString SWToolbox::kCurrentToolDidChangedNotification = QStringLiteral("kCurrentToolDidChangedNotification");

namespace {
template <typename Tool>
std::unique_ptr<SWTool> makeTool(KZToolboxController* controller)
{
    return std::make_unique<Tool>(controller);
}

// The shape tool of one kind, found by the kind's label.
SWToolbox::ToolClass::Factory shapeTool(const char* label)
{
    const QString kind = QString::fromLatin1(label);
    return [kind](KZToolboxController* controller) -> std::unique_ptr<SWTool> {
        return KZShapeTool::toolWithKind(controller, kind);
    };
}
} // namespace

const std::vector<SWToolbox::ToolClass>& SWToolbox::toolClassList()
{
    // Position matters: the toolbox controller's shape tags index this list.
    // A class gets its factory (makeTool<Class>) when it is written.
    static const std::vector<ToolClass> list = {
        {"DabBrushTool", makeTool<DabBrushTool>},
        {"SWBrushTool", makeTool<SWBrushTool>},
        {"SWEraserTool", makeTool<SWEraserTool>},
        {"SWSelectionTool", makeTool<SWSelectionTool>},
        {"SWAirbrushTool", makeTool<SWAirbrushTool>},
        {"SWFillTool", makeTool<SWFillTool>},
        {"SWBombTool", makeTool<SWBombTool>},
        {"SWEllipseTool", makeTool<SWEllipseTool>},
        {"SWEyeDropperTool", makeTool<SWEyeDropperTool>},
        {"SWZoomTool", makeTool<SWZoomTool>},
        {"KZRectangleSelectionTool", makeTool<KZRectangleSelectionTool>},
        {"KZTextTool", makeTool<KZTextTool>},
        {"KZFreeSelectionTool", makeTool<KZFreeSelectionTool>},
        {"KZArbitrarySelectionTool", makeTool<KZArbitrarySelectionTool>},
        {"SWLineTool", makeTool<SWLineTool>},
        {"SWCurveTool", makeTool<SWCurveTool>},
        {"KZrectangleMessageToolE", shapeTool("rectangleMessage")},
        {"KZbubbleToolE", shapeTool("bubble")},
        {"KZcloudToolE", shapeTool("cloud")},
        {"KZheartToolE", shapeTool("heart")},
        {"KZrightTriangleToolE", shapeTool("rightTriangle")},
        {"KZtriangleToolE", shapeTool("triangle")},
        {"KZpentacleToolE", shapeTool("pentacle")},
        {"KZprismaticToolE", shapeTool("prismatic")},
        {"KZpentagonToolE", shapeTool("pentagon")},
        {"KZhexagonToolE", shapeTool("hexagon")},
        {"KZarrowRightToolE", shapeTool("arrowRight")},
        {"KZarrowLeftToolE", shapeTool("arrowLeft")},
        {"KZarrowLeftRightToolE", shapeTool("arrowLeftRight")},
        {"KZarrowUpToolE", shapeTool("arrowUp")},
        {"KZarrowDownToolE", shapeTool("arrowDown")},
        {"KZarrowUpDownToolE", shapeTool("arrowUpDown")},
        {"KZflashToolE", shapeTool("flash")},
        {"KZsmileToolE", shapeTool("smile")},
        {"KZfourPointStarToolE", shapeTool("fourPointStar")},
        {"KZhexagramToolE", shapeTool("hexagram")},
        {"KZrectangleToolE", shapeTool("rectangle")},
        {"KZcircleToolE", shapeTool("circle")},
        {"KZroundedRectangleToolE", shapeTool("roundedRectangle")},
    };
    return list;
}

SWToolbox::SWToolbox(SWDocument* document, KZToolboxController* controller, const std::vector<ToolClass>& classes)
    : m_document(document)
    , m_controller(controller)
{
    for (const ToolClass& toolClass : classes) {
        if (!toolClass.make)
            continue;
        std::unique_ptr<SWTool> tool = toolClass.make(controller);
        if (!tool)
            continue;
        tool->setDocument(document);
        const QString label = tool->description();
        if (!m_toolList.count(label))
            m_labels.append(label);
        m_toolList[label] = std::move(tool);
    }
    if (!m_controller)
        return;
    m_controller->addObserver(this, KZToolboxController::kCurrentTool,
                              [this](const QVariant& value) { observeCurrentTool(value.toString()); });
    // Gives every tool its first colours and fill style; may switch tools.
    m_controller->updateInfo();
    // A program built without the pencil still needs a current tool.
    SWTool* first = toolForLabel(QStringLiteral("Brush"));
    if (!first && !m_labels.isEmpty())
        first = toolForLabel(m_labels.first());
    if (first)
        setCurrentTool(first);
}

SWToolbox::~SWToolbox()
{
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (m_controller)
        m_controller->removeObserver(this, KZToolboxController::kCurrentTool);
    m_currentTool = nullptr;
    m_toolList.clear();
}

SWTool* SWToolbox::toolForLabel(const QString& label) const
{
    const auto it = m_toolList.find(label);
    return it == m_toolList.end() ? nullptr : it->second.get();
}

void SWToolbox::setCurrentTool(SWTool* tool)
{
    if (m_currentTool)
        m_currentTool->tieUpLooseEnds();
    m_currentTool = tool;
    if (m_currentTool)
        m_currentTool->activate();
    // The document may still be building this registry: it reaches the new
    // tool through the paint view, which gets the registry afterwards.
    if (!m_document)
        return;
    m_document->handleCursorUpdate(nullptr);
    if (SWPaintView* paintView = m_document->paintView())
        paintView->update();
    m_document->clearOverlayView();
}

void SWToolbox::tieUpLooseEndsForCurrentTool()
{
    if (m_currentTool)
        m_currentTool->tieUpLooseEnds();
}

void SWToolbox::observeCurrentTool(const QString& label)
{
    SWTool* tool = toolForLabel(label);
    if (!tool)
        return;
    setCurrentTool(tool);
    platform::NotificationCenter::defaultCenter().post(kCurrentToolDidChangedNotification, this);
}
